// Installing a new language definition file: the checks on the chosen file and its copy
// into the folder the program reads it from at its next start (UserLanguageDefinitionPath).
#pragma once

#include <filesystem>
#include <string>

namespace qs {

// The only name a language definition file may have, with this exact case.
inline constexpr const char* kLanguageDefinitionFileName = "lngpck.dll";

// True when the file-name part of `path` is exactly "lngpck.dll".
bool HasLanguageDefinitionName(const std::filesystem::path& path);

// True when `path` has the right name and holds a language definition the program can
// read (with at least one command), so that an import never replaces a working definition
// with one that is not.
bool IsLanguageDefinitionFile(const std::filesystem::path& path);

struct ImportResult {
    bool ok = false;
    std::string error; // why the file was not imported, for the user
};

// Copies `source` to `programFolder` under its own file name, replacing the file there.
// The copy is written beside the target and renamed over it, so that a failed copy
// leaves the old definition whole.
ImportResult ImportLanguageDefinition(const std::filesystem::path& source,
                                      const std::filesystem::path& programFolder);

} // namespace qs
