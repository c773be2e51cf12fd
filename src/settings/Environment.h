// The program's own settings: what the Environment dialog shows and stores, and what the
// main window takes from them.
#pragma once

#include "settings/RegSettings.h"

#include <string>
#include <vector>

namespace qs {

inline constexpr const char* kSettingsKey = "Software\\Marrowgate\\Quillstone\\";

// The Environment dialog's fields.
struct EnvironmentValues {
    std::string syntaxFilesPath;
    std::string datafilesPath;
    bool refreshDataObjects = true; // the check box: refresh automatically
};

// What the dialog shows on opening. Missing values are created with their defaults (so a
// first opening writes them even when cancelled); an empty folder shows the personal
// folder. A folder value of another type shows the personal folder and its error is added
// to `errors`; a refresh value of another type shows the box ticked.
EnvironmentValues ReadEnvironment(TRegistrySettings& settings, const std::string& personalFolder,
                                  std::vector<std::string>& errors);
// The dialog's OK: the texts as they stand, 0 for a ticked box and 1 for a cleared one.
void WriteEnvironment(TRegistrySettings& settings, const EnvironmentValues& values);

// The main window's part of the settings.
struct MainWindowSettings {
    std::string syntaxFolder; // Open and Save syntax file dialogs
    std::string dataFolder;   // Open data file dialog
    bool autoRefresh = true;
    std::vector<std::string> errors; // registry errors met while reading
};

// Reads without writing anything back; a missing or empty folder gives the personal
// folder, a missing or unreadable refresh value gives automatic refresh.
MainWindowSettings ReadMainWindowSettings(TRegistry& reg, const std::string& personalFolder);

} // namespace qs
