// Parsers of the variable set and multiple-response set definition texts, one set per
// line, as the I/O library returns them from the file.
#include "datafile/TSPSSVL.h"

#include <algorithm>

namespace qs {

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(const std::string& s) {
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
std::string TakeToken(std::string& rest) {
    const std::size_t space = rest.find(' ');
    std::string token = rest.substr(0, space);
    rest = space == std::string::npos ? std::string() : rest.substr(space + 1);
    return token;
}

} // namespace

void TSPSSDatafile::ParseVariableSets(std::string text) {
    // Only lines ended by a line feed count; a last line without one is not read.
    const auto lines = std::count(text.begin(), text.end(), '\n');
    for (std::ptrdiff_t i = 0; i < lines; ++i) {
        const std::size_t lf = text.find('\n');
        std::string line = text.substr(0, lf);
        text.erase(0, lf + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // A line without "=" defines no set; a nameless set would be wrong.
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        TSPSSVariableSet* set = VariableSets().Add(Trim(line.substr(0, eq)));
        // The first space ends the "name=" part; each later space starts one member.
        const auto spaces = std::count(line.begin(), line.end(), ' ');
        std::string rest = line;
        if (spaces > 0) {
            rest.erase(0, rest.find(' ') + 1);
        }
        for (std::ptrdiff_t k = 0; k < spaces; ++k) {
            const std::string token = TakeToken(rest);
            // An empty token (double space) names no variable; skip the index rebuild.
            if (token.empty()) {
                continue;
            }
            if (TSPSSVariable* var = Variables().FindByName(token)) {
                set->VarList.Add(var->Name);
            }
        }
    }
}

void TSPSSDatafile::ParseMRSets(std::string text) {
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::string line = text.substr(0, lf);
        text = lf == std::string::npos ? std::string() : text.substr(lf + 1);
        ParseMRSet(line);
    }
}

void TSPSSDatafile::ParseMRSet(const std::string& line) {
    const std::string s = Trim(line);
    const std::size_t eq = s.find('=');
    // A blank line or one without "=" defines no set; a nameless set would be wrong.
    if (eq == std::string::npos) {
        return;
    }
    // The first character (the dollar sign in SPSS definitions) is dropped whatever it is.
    TSPSSMRMDSet* set = MRSets().Add(eq > 1 ? s.substr(1, eq - 1) : std::string());
    std::string rest = s.substr(eq + 1);
    const std::string type = TakeToken(rest);

    if (!type.empty() && (type[0] == 'D' || type[0] == 'd')) {
        // The counted value ends at a space or a character of code 8.
        const std::size_t end = std::min(rest.find(' '), rest.find('\x08'));
        const std::string counted = rest.substr(0, end);
        set->CountedValue = counted;
        rest = Trim(rest.substr(counted.size()));
        set->IsDichotomy = true;
    } else if (type == "E" || type == "e") {
        // An extended set (always dichotomies): a label-source flag, then the counted
        // value as its length and text.
        TakeToken(rest);
        const std::int32_t length = StrToInt(Trim(TakeToken(rest)));
        const std::size_t take = std::min(rest.size(), std::size_t(std::max(length, 0)));
        set->CountedValue = rest.substr(0, take);
        rest = Trim(rest.substr(take));
        set->IsDichotomy = true;
    } else {
        set->CountedValue = std::int32_t{-1};
        set->IsDichotomy = false;
    }

    std::int32_t labelLength = 0;
    const std::size_t space = rest.find(' ');
    if (space != std::string::npos) {
        labelLength = StrToInt(Trim(rest.substr(0, space)));
        rest.erase(0, space + 1);
    }
    if (labelLength > 0) {
        set->Label = rest.substr(0, std::size_t(labelLength));
        rest = Trim(rest.substr(std::min(rest.size(), std::size_t(labelLength))));
        if (!rest.empty() && rest[0] > '0' && rest[0] < '9') {
            TakeToken(rest);
        }
    } else {
        set->Label.clear();
    }

    std::string counted = rest;
    if (!counted.empty() && counted.back() == ' ') {
        counted.pop_back();
    }
    const auto spaces = std::count(counted.begin(), counted.end(), ' ');
    for (std::ptrdiff_t k = 0; k <= spaces; ++k) {
        const std::string token = TakeToken(rest);
        if (token.empty()) {
            continue;
        }
        if (TSPSSVariable* var = Variables().FindByName(token)) {
            set->VarList.Add(var->Name);
        }
    }
}

} // namespace qs
