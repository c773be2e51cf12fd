#include "platform/automation/EngineMessages.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace qs::automation {
namespace {

using Severity = EngineMessage::Severity;
constexpr std::array<std::pair<Severity, std::string_view>, 3> kSeverityNames{{
    {Severity::Error, "error"},
    {Severity::Warning, "warning"},
    {Severity::Note, "note"},
}};

// A field ends at a tab; tabs and line ends inside one could not be told from the ends.
void AppendField(std::string& out, std::string_view field, char end) {
    for (const char c : field) {
        out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
    }
    out += end;
}

} // namespace

std::string EncodeEngineMessages(const std::vector<EngineMessage>& messages) {
    std::string out;
    for (const EngineMessage& message : messages) {
        for (const auto& [severity, name] : kSeverityNames) {
            if (severity == message.severity) {
                out += name;
            }
        }
        out += '\t';
        out += std::to_string(message.line < 0 ? 0 : message.line);
        out += '\t';
        AppendField(out, message.file, '\t');
        AppendField(out, message.text, '\n');
    }
    return out;
}

std::vector<EngineMessage> DecodeEngineMessages(std::string_view text) {
    std::vector<EngineMessage> messages;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        std::array<std::string_view, 3> fields;
        bool complete = true;
        for (auto& field : fields) {
            const std::size_t tab = line.find('\t');
            if (tab == std::string_view::npos) {
                complete = false;
                break;
            }
            field = line.substr(0, tab);
            line.remove_prefix(tab + 1);
        }
        EngineMessage message;
        const auto [ptr, error] =
            std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), message.line);
        const auto named = std::find_if(kSeverityNames.begin(), kSeverityNames.end(),
                                        [&](const auto& s) { return s.second == fields[0]; });
        if (!complete || error != std::errc() || ptr != fields[1].data() + fields[1].size() ||
            named == kSeverityNames.end()) {
            continue;
        }
        message.severity = named->first;
        message.file = fields[2];
        message.text = line;
        messages.push_back(std::move(message));
    }
    return messages;
}

} // namespace qs::automation
