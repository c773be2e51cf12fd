#include "app/HelpFiles.h"

#include "app/startup.h"
#include "platform/registry/Registry.h"

#include <stdexcept>
#include <vector>

namespace qs {

std::string GetSpssDirectory(std::shared_ptr<RegistryBackend> backend) {
    std::vector<std::string> versions;
    ListSpssVersions(versions, backend);
    TRegistry reg(std::move(backend));
    reg.SetRootKey(RootKey::CurrentUser);
    std::vector<std::string> directories;
    for (const std::string& version : versions) {
        if (!IsHandledSpssVersion(version)) {
            continue;
        }
        const std::string setup = std::string(kSpssVersionsKey) + "\\" + version + "\\Setup";
        if (!reg.OpenKey(setup, true)) {
            throw ERegistryException("Failed to create key " + setup);
        }
        directories.push_back(reg.ReadString("Directory"));
    }
    if (directories.empty()) {
        throw std::out_of_range("List index out of bounds (-1)");
    }
    return directories.back() + kPathSeparator;
}

std::string SpssHelpFile(const std::string& spssDirectory) {
    const std::string sep(1, kPathSeparator);
    return spssDirectory + "Help" + sep + "main" + sep + "master_help.chm";
}

std::string ProgramHelpFile(const std::string& programPath) {
    const std::size_t cut = programPath.find_last_of(kPathSeparator);
    const std::string folder =
        cut == std::string::npos ? std::string{} : programPath.substr(0, cut + 1);
    return folder + "QuillstoneHelp.chm";
}

} // namespace qs
