// The editor's own short connection to the running engine: which data file it has active,
// for display. The file is never written from here: the dictionary comes from a private
// copy (the data file job). Also which installed engine version is the registered one.
#pragma once

#include "platform/automation/Automation.h"
#include "platform/registry/RegistryBackend.h"

#include <functional>
#include <memory>
#include <string>

namespace qs {

// The registered version's name (its "CurrentlyRegistered" is "1"; the last such wins),
// or empty.
std::string GetRegisteredSpssVersion(std::shared_ptr<RegistryBackend> backend);

// What the query needs from around it; tests put doubles in.
struct ActiveDataFileHooks {
    std::function<std::unique_ptr<automation::ISpssApp>()> connect;
    std::function<std::string()> registeredVersion;
    std::function<void(const std::string& message)> showMessage; // a message box
};
// The hooks of the running program: the active engine, the user's registry, the file.
ActiveDataFileHooks DefaultActiveDataFileHooks(std::function<void(const std::string&)> show);

// Sets path to the engine's active data file, to "Untitled" for a data document never
// saved, or leaves it as it is. Raises EAbort when no engine runs.
void GetActiveDataFilePath(std::string& path, const ActiveDataFileHooks& hooks);

// What GetActiveDataFilePath gives for a data document that was never saved.
inline constexpr const char* kUntitledDataFile = "Untitled";

inline constexpr const char* kNoDataFileMessage =
    "Er is geen databestand geopend.\n\rOpen een SPSS databestand en probeer het nogmaals.";
inline constexpr const char* kSystemErrorMessage =
    "Door een systeemfout is het niet mogelijk de naam van het geopende SPSS bestand te "
    "achterhalen.\n\rOorzaak: %s";

} // namespace qs
