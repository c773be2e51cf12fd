// Parser of the reference dumps; see ReferenceDump.h.
#include "platform/spssio/ReferenceDump.h"
#include "platform/Utf8.h"

#include <fstream>
#include <sstream>

namespace qs::spssio::test {

namespace {

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    return fields;
}

std::vector<std::string> splitSpaces(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

} // namespace

std::string unquote(const std::string& text)
{
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return text;
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'u': {
            unsigned cp = std::stoul(text.substr(i + 1, 4), nullptr, 16);
            i += 4;
            if (cp >= 0xD800 && cp < 0xDC00 && text.compare(i + 1, 2, "\\u") == 0) {
                const unsigned low = std::stoul(text.substr(i + 3, 4), nullptr, 16);
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
            AppendUtf8(out, static_cast<char32_t>(cp));
            break;
        }
        default: out += c; break;
        }
    }
    return out;
}

std::optional<RefDump> readReferenceDump(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    RefDump dump;
    std::string section, line;
    while (std::getline(in, line)) {
        if (line.rfind('[', 0) == 0) {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        const auto f = splitTabs(line);
        if (section == "file") {
            if (line.rfind("Encoding: ", 0) == 0)
                dump.encoding = line.substr(10);
            if (line.rfind("Cases: ", 0) == 0 && line != "Cases: Unknown")
                dump.cases = std::stol(line.substr(7));
        } else if (section == "variables" && f.size() >= 11) {
            dump.variables.push_back({unquote(f[1]), f[2], std::stoi(f[4]), f[5], f[6],
                                      unquote(f[8]), std::stoi(f[9]), unquote(f[10])});
        } else if (section == "value labels") {
            if (line.rfind("  ", 0) == 0 && f.size() >= 2 && !dump.valueLabels.empty())
                dump.valueLabels.back().second.push_back({unquote(f[0].substr(2)), unquote(f[1])});
            else if (line[0] == '"')
                dump.valueLabels.push_back({unquote(line.substr(0, line.rfind(" ("))), {}});
        } else if (section == "multiple response sets" && f.size() >= 4) {
            RefMrSet set{unquote(f[0]), f[1] == "Dichotomies", unquote(f[2]), unquote(f[3]), {}};
            if (f.size() >= 5)
                set.members = splitSpaces(f[4]);
            dump.mrSets.push_back(std::move(set));
        } else if (section.rfind("variable sets", 0) == 0 && line[0] == '"') {
            dump.variableSets.push_back(unquote(line));
        } else if (section == "pspp messages" && line != "(none)") {
            dump.messages.push_back(line);
        }
    }
    return dump;
}

} // namespace qs::spssio::test
