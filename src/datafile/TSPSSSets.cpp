// Parsers of the variable set and multiple-response set definition texts, one set per
// line, as the I/O library returns them from the file.
#include "datafile/TSPSSVL.h"

#include <algorithm>
#include <string_view>

namespace qs {

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && IsBlankOrControl(s[first])) {
        ++first;
    }
    while (last > first && IsBlankOrControl(s[last - 1])) {
        --last;
    }
    return s.substr(first, last - first);
}

// Cuts the text before the first space off `rest` (all of it when there is none).
// Views, not copies: a set may list thousands of members on one line.
std::string_view TakeToken(std::string_view& rest) {
    const std::size_t space = rest.find(' ');
    const std::string_view token = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    return token;
}

// The next line ending in a line feed (without it); the text continues after it.
std::string_view TakeLine(std::string_view& text) {
    const std::size_t lf = text.find('\n');
    const std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    return line;
}

// Adds the variables named by the next `count` words of `rest` to `list`; names of no
// variable are left out. `name` is scratch room, reused across calls.
void AddKnownMembers(TSPSSVariables& variables, TSPSSVarList& list, std::string_view rest,
                     std::ptrdiff_t count, std::string& name) {
    for (std::ptrdiff_t k = 0; k < count; ++k) {
        const std::string_view token = TakeToken(rest);
        // An empty token (double space) names no variable; skip the lookup.
        if (token.empty()) {
            continue;
        }
        name.assign(token);
        if (TSPSSVariable* var = variables.FindByName(name)) {
            list.Add(var->Name);
        }
    }
}

} // namespace

void TSPSSDatafile::ParseVariableSets(std::string text) {
    // Only lines ended by a line feed count; a last line without one is not read.
    const auto lines = std::count(text.begin(), text.end(), '\n');
    std::string_view remaining = text;
    std::string name;
    for (std::ptrdiff_t i = 0; i < lines; ++i) {
        std::string_view line = TakeLine(remaining);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // A line without "=" defines no set; a nameless set would be wrong.
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        TSPSSVariableSet* set = VariableSets().Add(std::string(Trim(line.substr(0, eq))));
        // The first space ends the "name=" part; each later space starts one member.
        const auto spaces = std::count(line.begin(), line.end(), ' ');
        std::string_view rest = line;
        if (spaces > 0) {
            rest.remove_prefix(rest.find(' ') + 1);
        }
        AddKnownMembers(Variables(), set->VarList, rest, spaces, name);
    }
}

void TSPSSDatafile::ParseMRSets(std::string text) {
    std::string_view remaining = text;
    while (!remaining.empty()) {
        ParseMRSet(std::string(TakeLine(remaining)));
    }
}

void TSPSSDatafile::ParseMRSet(const std::string& line) {
    const std::string_view s = Trim(line);
    const std::size_t eq = s.find('=');
    // A blank line or one without "=" defines no set; a nameless set would be wrong.
    if (eq == std::string_view::npos) {
        return;
    }
    // The first character (the dollar sign in SPSS definitions) is dropped whatever it is.
    TSPSSMRMDSet* set = MRSets().Add(eq > 1 ? std::string(s.substr(1, eq - 1)) : std::string());
    std::string_view rest = s.substr(eq + 1);
    const std::string_view type = TakeToken(rest);

    if (!type.empty() && (type[0] == 'D' || type[0] == 'd')) {
        // The counted value ends at a space or a character of code 8.
        const std::size_t end = std::min(rest.find(' '), rest.find('\x08'));
        const std::string_view counted = rest.substr(0, end);
        set->CountedValue = std::string(counted);
        rest = Trim(rest.substr(counted.size()));
        set->IsDichotomy = true;
    } else if (type == "E" || type == "e") {
        // An extended set (always dichotomies): a label-source flag, then the counted
        // value as its length and text.
        TakeToken(rest);
        const std::int32_t length = StrToInt(std::string(Trim(TakeToken(rest))));
        const std::size_t take = std::min(rest.size(), std::size_t(std::max(length, 0)));
        set->CountedValue = std::string(rest.substr(0, take));
        rest = Trim(rest.substr(take));
        set->IsDichotomy = true;
    } else {
        set->CountedValue = std::int32_t{-1};
        set->IsDichotomy = false;
    }

    std::int32_t labelLength = 0;
    const std::size_t space = rest.find(' ');
    if (space != std::string_view::npos) {
        labelLength = StrToInt(std::string(Trim(rest.substr(0, space))));
        rest.remove_prefix(space + 1);
    }
    if (labelLength > 0) {
        set->Label = std::string(rest.substr(0, std::size_t(labelLength)));
        rest = Trim(rest.substr(std::min(rest.size(), std::size_t(labelLength))));
        if (!rest.empty() && rest[0] > '0' && rest[0] < '9') {
            TakeToken(rest);
        }
    } else {
        set->Label.clear();
    }

    std::string_view counted = rest;
    if (!counted.empty() && counted.back() == ' ') {
        counted.remove_suffix(1);
    }
    const auto spaces = std::count(counted.begin(), counted.end(), ' ');
    std::string name;
    AddKnownMembers(Variables(), set->VarList, rest, spaces + 1, name);
}

} // namespace qs
