// Turns PSPP's terminal stream into the output of each batch.
#include "engine/PsppTranscript.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qs::engine {
namespace {

struct SeverityWord {
    std::string_view word;
    PsppMessage::Severity severity;
};
constexpr std::array<SeverityWord, 3> kSeverities{{
    {"error: ", PsppMessage::Severity::Error},
    {"warning: ", PsppMessage::Severity::Warning},
    {"note: ", PsppMessage::Severity::Note},
}};

// "7", "7.3", "7-9", "7.3-9.12": a location inside the batch's text.
bool IsLineRange(std::string_view s) {
    return !s.empty() && std::isdigit(static_cast<unsigned char>(s.front())) &&
           std::all_of(s.begin(), s.end(), [](char c) {
               return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-';
           });
}

} // namespace

bool ParsePsppMessage(std::string_view line, PsppMessage& message) {
    for (const auto& [word, severity] : kSeverities) {
        std::size_t at;
        if (line.starts_with(word)) {
            at = 0;
        } else {
            const std::string needle = ": " + std::string(word);
            at = line.find(needle);
            if (at == std::string_view::npos) {
                continue;
            }
        }
        std::string_view location = line.substr(0, at);
        std::string_view file;
        if (at != 0 && !IsLineRange(location)) {
            // Another file's location ("inc.sps:3"), or no message at all.
            const auto colon = location.rfind(':');
            if (colon == std::string_view::npos || !IsLineRange(location.substr(colon + 1))) {
                continue;
            }
            file = location.substr(0, colon);
            location.remove_prefix(colon + 1);
        }
        std::size_t lineNo = 0;
        for (const char c : location) {
            if (!std::isdigit(static_cast<unsigned char>(c))) {
                break;
            }
            lineNo = lineNo * 10 + static_cast<std::size_t>(c - '0');
        }
        message = {severity, lineNo, std::string(line), std::string(file), at == 0 ? 0 : at + 2};
        return true;
    }
    return false;
}

std::size_t PlaceMessage(PsppMessage& message, const MessagePlace& place) {
    if (message.line == 0 || !(message.file.empty() || message.file == place.textFile)) {
        return 0;
    }
    const std::size_t line = message.line + static_cast<std::size_t>(place.firstLine) - 1;
    message.text = std::to_string(line) + ": " + message.text.substr(message.bodyStart);
    message.bodyStart = message.text.find(": ") + 2;
    return line;
}

void PsppTranscript::BeginBatch(std::vector<std::string> typedLines, std::string markerOutput,
                                std::string batchFile, std::string checkOutput,
                                MessagePlace place) {
    m_place = std::move(place);
    m_checkOutput = std::move(checkOutput);
    m_checkSeen = false;
    m_previousMarker = std::move(m_marker);
    m_typed = std::move(typedLines);
    m_marker = std::move(markerOutput);
    m_batchPrefix = batchFile.empty() ? std::string() : batchFile + ":";
    m_markerSeen = false;
    m_started = true;
    m_messages.clear();
}

std::string PsppTranscript::Feed(std::string_view bytes) {
    std::string out;
    m_partial.append(bytes);
    std::size_t start = 0;
    for (std::size_t nl; (nl = m_partial.find('\n', start)) != std::string::npos; start = nl + 1) {
        std::string line = m_partial.substr(start, nl - start);
        while (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // A carriage return inside a line redraws it: what follows is what shows.
        if (const auto cr = line.rfind('\r'); cr != std::string::npos) {
            line.erase(0, cr + 1);
        }
        out += Line(std::move(line));
    }
    m_partial.erase(0, start);
    if (BatchDone() && m_heldBlank) {
        m_heldBlank = false;
        out += '\n';
    }
    return out;
}

std::string PsppTranscript::Line(std::string line) {
    // Before the first batch PSPP only greets; nothing of that is output.
    if (!m_started) {
        return {};
    }
    for (std::size_t i = 0; i < m_typed.size(); ++i) {
        const std::string& typed = m_typed[i];
        if (line == typed || (line.starts_with(kPsppPrompt) &&
                              std::string_view(line).substr(kPsppPrompt.size()) == typed)) {
            if (i + 1 == m_typed.size()) {
                m_markerSeen = true;
            }
            return {};
        }
    }
    if (line.empty()) {
        std::string out = m_heldBlank ? "\n" : "";
        m_heldBlank = true;
        return out;
    }
    const bool held = m_heldBlank;
    m_heldBlank = false;
    if (!m_previousMarker.empty() && line == m_previousMarker) {
        return {};
    }
    if (!m_checkOutput.empty() && line == m_checkOutput) {
        m_checkSeen = true;
        return {};
    }
    if (!m_batchPrefix.empty() && line.starts_with(m_batchPrefix)) {
        line.erase(0, m_batchPrefix.size());
    }
    if (PsppMessage message; ParsePsppMessage(line, message)) {
        if (m_place.Moves() && PlaceMessage(message, m_place) != 0) {
            line = message.text;
        }
        m_messages.push_back(std::move(message));
    }
    return (held ? "\n" : "") + line + '\n';
}

std::size_t PsppTranscript::ErrorCount() const {
    return static_cast<std::size_t>(std::count_if(m_messages.begin(), m_messages.end(), [](auto& m) {
        return m.severity == PsppMessage::Severity::Error;
    }));
}

std::size_t PsppTranscript::WarningCount() const {
    return static_cast<std::size_t>(std::count_if(m_messages.begin(), m_messages.end(), [](auto& m) {
        return m.severity == PsppMessage::Severity::Warning;
    }));
}

} // namespace qs::engine
