// Where the help comes from: the statistics package's installation folder in the
// registry, its PDF manuals and its help file, and the editor's own help file.
#pragma once

#include "platform/registry/RegistryBackend.h"

#include <array>
#include <memory>
#include <string>

namespace qs {

// The separator of the paths built here: the registry holds the system's own paths.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

struct TSpssManual {
    const char* action;
    const char* caption;
    const char* file;
};

// The Help menu's manuals, in menu order.
inline constexpr std::array<TSpssManual, 7> kSpssManuals{{
    {"actBase", "base, regression and advanced models", "spssbase.pdf"},
    {"actTable", "Table", "spssctables.pdf"},
    {"actTrends", "Trends", "spsstrnd.pdf"},
    {"actCategories", "Categories", "spsscat.pdf"},
    {"actConjoint", "Conjoint", "spssconj.pdf"},
    {"actMap", "Map", "spssmaps.pdf"},
    {"actMissingValueAnalysis", "Missing Value Analysis", "spssmva.pdf"},
}};

// The "Directory" of the last handled version (10 or 11) that the registry lists, with a
// separator at its end. Raises std::out_of_range "List index out of bounds (-1)" when no
// handled version is registered, and the registry's error when its keys cannot be made.
std::string GetSpssDirectory(std::shared_ptr<RegistryBackend> backend);

// The package's own help file below its installation folder.
std::string SpssHelpFile(const std::string& spssDirectory);

// "QuillstoneHelp.chm" in the folder of the program file `programPath`.
std::string ProgramHelpFile(const std::string& programPath);

} // namespace qs
