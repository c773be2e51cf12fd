// Reads the parts of a fixture's reference dump (PSPP's view of its dictionary) that the
// dictionary tool's output is checked against.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qs::test {

struct ReferenceVariable {
    std::string name;
    std::string printFormat;
    std::string writeFormat;
    std::string label;
    std::vector<std::pair<std::string, std::string>> valueLabels; // value, label
};

struct ReferenceMRSet {
    bool dichotomy = false;
    std::string counted;
    std::string label;
    std::vector<std::string> members;
};

struct ReferenceDump {
    std::string compression; // as PSPP names it: "None", "SAV" or "ZSAV"
    std::vector<ReferenceVariable> variables;
    std::map<std::string, ReferenceMRSet> mrSets; // by name without "$"
};

// False when the file cannot be read or a line does not parse.
bool ReadReferenceDump(const std::string& path, ReferenceDump& dump);

} // namespace qs::test
