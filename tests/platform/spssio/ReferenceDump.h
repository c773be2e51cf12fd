// Reads the reference dumps kept beside the .sav fixtures (PSPP's reading of
// each dictionary) into plain structures for comparison.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qs::spssio::test {

struct RefVariable {
    std::string name;
    std::string measure;
    int displayWidth = 0;
    std::string alignment;
    std::string print;
    std::string missing; // as PSPP shows it: "1; 2", "0 THRU 9", "\"ab \""
    int valueLabelCount = 0;
    std::string label;
};

struct RefValueLabel {
    std::string value; // numeric as formatted, string without trailing blanks
    std::string label;
};

struct RefMrSet {
    std::string name; // with the dollar sign
    bool dichotomy = false;
    std::string countedValue;
    std::string label;
    std::vector<std::string> members;
};

struct RefDump {
    std::string encoding;
    long cases = -1; // -1: unknown
    std::vector<RefVariable> variables;
    std::vector<std::pair<std::string, std::vector<RefValueLabel>>> valueLabels;
    std::vector<RefMrSet> mrSets;
    std::vector<std::string> variableSets; // raw lines
    std::vector<std::string> messages;
};

std::optional<RefDump> readReferenceDump(const std::string& path);
// Decodes one JSON string literal ("..."); the text itself when it is not quoted.
std::string unquote(const std::string& text);

} // namespace qs::spssio::test
