// The version record in a program file: finding it in the file's bytes and
// answering version-resource queries ("\VarFileInfo\Translation",
// "\StringFileInfo\040904e4\FileVersion") from it.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qs {

class VersionRecord {
public:
    // The value of a query path, compared without regard to case as the system does.
    std::optional<std::string> Query(const std::string& path) const;

    std::vector<std::pair<std::string, std::string>> entries;
};

// The marker that opens a record. Not kept as one literal here, so that the reader's own
// file does not seem to hold a record where the reader's code is.
std::string VersionRecordMarker();

enum class RecordSearch { Found, None, ReadError };

// Scans `in` for the first well-formed record; `record` is filled when one is found.
RecordSearch FindVersionRecord(std::istream& in, VersionRecord& record);

} // namespace qs
