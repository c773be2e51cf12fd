// The program's start: which mode the command line selects, and the registration of the
// program's two menu entries in the statistics package's registry area.
#pragma once

#include "platform/registry/RegistryBackend.h"

#include <string>
#include <vector>

namespace qs {

enum class TStartMode { NoArgument, Uninstall, Install, Open, Reopen, NewDocument };

// Decided by the first argument alone. A switch counts only as the whole argument, in any
// letter case: a path that merely contains "/open" or "/install" is a file to open.
TStartMode SelectStartMode(const std::vector<std::string>& arguments);

enum class TStartFile { None, DataFile, SyntaxFile };
// What the first argument names when it is no switch: a data file by its extension
// (.sav or .zsav, any case), otherwise a syntax file.
TStartFile StartFileKind(const std::vector<std::string>& arguments);

inline constexpr const char* kNoArgumentMessage =
    "Quillstone can only be opened from within the SPSS application !";
inline constexpr const char* kSpssVersionsKey = "\\Software\\SPSS\\SPSS for Windows";

// Menu type flags by bit value.
enum TMenuTypeFlag : unsigned { mtFlag1 = 1, mtFlag2 = 2, mtFlag4 = 4 };

struct TSpssMenuEntry {
    std::string entryName;
    std::string menuText;
    int menuPosition = 2;
    unsigned menuType = mtFlag1;
    std::string launchArgument;
    int readFile = 2;
};

const TSpssMenuEntry& NewMenuEntry();
const TSpssMenuEntry& OpenMenuEntry();

// "0," for bit 1, "2," for bit 4, "3," for bit 2 in that order, the last character dropped.
std::string MenuTypeText(unsigned flags);
// Versions whose names begin with "10" or "11".
bool IsHandledSpssVersion(const std::string& version);

// Every function below works on the registry `backend` under HKEY_CURRENT_USER and
// raises the registry's error when a key or value cannot be written.
void ListSpssVersions(std::vector<std::string>& list, std::shared_ptr<RegistryBackend> backend);
void RegisterSPSSMenuEntry(const TSpssMenuEntry& entry, const std::string& programPath,
                           std::shared_ptr<RegistryBackend> backend);
void UnregisterSPSSMenuEntry(const std::string& entryName,
                             std::shared_ptr<RegistryBackend> backend);

// The two registration modes as a whole. Install also writes AppPath, the program's
// folder with a trailing separator.
void InstallMenuEntries(const std::string& programPath, std::shared_ptr<RegistryBackend> backend);
void UninstallMenuEntries(std::shared_ptr<RegistryBackend> backend);

} // namespace qs
