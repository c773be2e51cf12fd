// Parser of the reference dumps' compression line and their [variables], [value labels]
// and [multiple response sets] sections (tab-separated, strings JSON-quoted).
#include "datafile/ReferenceDump.h"
#include "datafile/MiniJson.h"

#include <fstream>
#include <sstream>

namespace qs::test {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) {
        fields.push_back(field);
    }
    return fields;
}

bool Unquote(const std::string& field, std::string& out) {
    std::size_t pos = 0;
    return ParseJsonString(field, pos, out) && pos == field.size();
}

std::vector<std::string> SplitSpaces(const std::string& text) {
    std::vector<std::string> words;
    std::stringstream in(text);
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

} // namespace

bool ReadReferenceDump(const std::string& path, ReferenceDump& dump) {
    std::ifstream in(path);
    if (!in) {
        return false;
    }
    std::string section;
    std::string line;
    ReferenceVariable* labelled = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            section = line.substr(0, line.find(']') + 1);
            continue;
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::vector<std::string> f = SplitTabs(line);
        const std::string compressionKey = "Compression: ";
        if (section == "[file]" && line.rfind(compressionKey, 0) == 0) {
            dump.compression = line.substr(compressionKey.size());
        } else if (section == "[variables]") {
            ReferenceVariable var;
            if (f.size() < 11 || !Unquote(f[1], var.name) || !Unquote(f[10], var.label)) {
                return false;
            }
            var.printFormat = f[6];
            var.writeFormat = f[7];
            dump.variables.push_back(var);
        } else if (section == "[value labels]") {
            if (line.rfind("  ", 0) == 0) {
                std::string value;
                std::string label;
                if (labelled == nullptr || f.size() < 2 || !Unquote(f[0].substr(2), value) ||
                    !Unquote(f[1], label)) {
                    return false;
                }
                labelled->valueLabels.emplace_back(value, label);
                continue;
            }
            std::string name;
            if (!Unquote(line.substr(0, line.rfind(" (")), name)) {
                return false;
            }
            labelled = nullptr;
            for (ReferenceVariable& var : dump.variables) {
                if (var.name == name) {
                    labelled = &var;
                }
            }
        } else if (section == "[multiple response sets]") {
            ReferenceMRSet set;
            std::string name;
            if (f.size() < 4 || !Unquote(f[0], name) || !Unquote(f[2], set.counted) ||
                !Unquote(f[3], set.label)) {
                return false;
            }
            set.dichotomy = f[1] == "Dichotomies";
            set.members = SplitSpaces(f.size() > 4 ? f[4] : "");
            dump.mrSets[name.substr(1)] = set;
        }
    }
    return true;
}

} // namespace qs::test
