// Set definition rewriting; see SavSets.h.
#include "platform/spssio/SavSets.h"

#include <charconv>
#include <optional>

namespace qs::spssio {

MemberNames::MemberNames(const SavDictionary& dict) : m_dict(dict) {}

std::string MemberNames::operator()(std::string_view token) const
{
    int index = m_dict.find(token);
    if (index < 0) {
        const auto shortName = [this](std::int32_t i) {
            return std::string_view(m_dict.variables[std::size_t(i)].shortName);
        };
        if (!m_shortIndexed) {
            m_byShortName.reserve(m_dict.variables.size());
            for (std::size_t i = 0; i < m_dict.variables.size(); ++i)
                m_byShortName.insert(m_dict.variables[i].shortName, static_cast<std::int32_t>(i),
                                     shortName);
            m_shortIndexed = true;
        }
        index = m_byShortName.find(token, shortName);
        if (index < 0)
            return std::string(token);
    }
    return m_dict.variables[static_cast<std::size_t>(index)].name;
}

namespace {

// Appends the space-separated names of list, each mapped, keeping the spacing.
void appendMembers(std::string& out, std::string_view list, const MemberNames& names)
{
    std::size_t i = 0;
    while (i < list.size()) {
        if (list[i] == ' ') {
            out.push_back(' ');
            ++i;
            continue;
        }
        std::size_t end = list.find(' ', i);
        if (end == std::string_view::npos)
            end = list.size();
        out += names(list.substr(i, end - i));
        i = end;
    }
}

// Reads a decimal number followed by one space at text[pos].
std::optional<std::size_t> number(std::string_view text, std::size_t& pos)
{
    std::size_t value = 0;
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr == first || ptr == last || *ptr != ' ')
        return std::nullopt;
    pos = static_cast<std::size_t>(ptr - text.data()) + 1;
    return value;
}

// A length-prefixed field: "<n> <n bytes>"; pos ends after the bytes.
std::optional<std::string_view> counted(std::string_view text, std::size_t& pos)
{
    const auto n = number(text, pos);
    if (!n || *n > text.size() - pos)
        return std::nullopt;
    const std::string_view field = text.substr(pos, *n);
    pos += *n;
    return field;
}

std::optional<std::string> rewriteMrSet(std::string_view line, Recoder& recode,
                                        const MemberNames& names)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 >= line.size())
        return std::nullopt;
    std::string out = recode(line.substr(0, eq)) + "=";
    const char type = line[eq + 1];
    std::size_t pos = eq + 2;
    if (type == 'C') {
        out += 'C';
        if (pos >= line.size() || line[pos] != ' ')
            return std::nullopt;
        ++pos;
    } else if (type == 'D' || type == 'E') {
        std::string flag;
        if (type == 'E') {
            // "E <flag> <value length> <value>"
            if (pos >= line.size() || line[pos] != ' ')
                return std::nullopt;
            ++pos;
            const auto f = number(line, pos);
            if (!f)
                return std::nullopt;
            flag = " " + std::to_string(*f) + " ";
        }
        const auto value = counted(line, pos);
        if (!value || pos >= line.size() || line[pos] != ' ')
            return std::nullopt;
        ++pos;
        const std::string text = recode(*value);
        out += type + flag + std::to_string(text.size()) + " " + text;
        out += ' ';
    } else {
        return std::nullopt;
    }
    const auto label = counted(line, pos);
    if (!label)
        return std::nullopt;
    const std::string text = recode(*label);
    if (type == 'C')
        out += ' ';
    out += std::to_string(text.size()) + " " + text;
    appendMembers(out, recode(line.substr(pos)), names);
    return out;
}

} // namespace

std::string rewriteVariableSets(std::string_view text, const MemberNames& names)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end);
        const bool cr = !line.empty() && line.back() == '\r';
        if (cr)
            line.remove_suffix(1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            out += line;
        } else {
            out += line.substr(0, eq + 1);
            appendMembers(out, line.substr(eq + 1), names);
        }
        if (cr)
            out += '\r';
        if (end != std::string_view::npos)
            out += '\n';
        text.remove_prefix(next);
    }
    return out;
}

std::string rewriteMrSets(std::string_view raw, Recoder& recode, const MemberNames& names)
{
    std::string out;
    while (!raw.empty()) {
        const std::size_t end = raw.find('\n');
        std::string_view line = raw.substr(0, end);
        raw.remove_prefix(end == std::string_view::npos ? raw.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\0'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\0'))
            line.remove_prefix(1);
        if (line.empty())
            continue;
        if (auto set = rewriteMrSet(line, recode, names)) {
            out += *set;
            out += '\n';
        }
    }
    return out;
}

} // namespace qs::spssio
