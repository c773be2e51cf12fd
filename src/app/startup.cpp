#include "app/startup.h"

#include "platform/FilePath.h"
#include "platform/registry/Registry.h"
#include "settings/Environment.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace qs {

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool IsSwitch(const std::string& argument) {
    static const char* const kSwitches[] = {"/UNINSTALL", "/INSTALL", "/OPEN", "/REOPEN",
                                            "/NEW"};
    const std::string upper = Upper(argument);
    return std::any_of(std::begin(kSwitches), std::end(kSwitches),
                       [&](const char* s) { return upper == s; });
}

} // namespace

TStartMode SelectStartMode(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return TStartMode::NoArgument;
    }
    const std::string sw = Upper(arguments.front());
    if (sw == "/UNINSTALL") {
        return TStartMode::Uninstall;
    }
    if (sw == "/INSTALL") {
        return TStartMode::Install;
    }
    if (sw == "/OPEN") {
        return TStartMode::Open;
    }
    if (sw == "/REOPEN") {
        return TStartMode::Reopen;
    }
    return TStartMode::NewDocument;
}

TStartFile StartFileKind(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front().empty() || IsSwitch(arguments.front())) {
        return TStartFile::None;
    }
    const std::string extension =
        Upper(Utf8FromPath(PathFromUtf8(arguments.front()).extension()));
    return extension == ".SAV" || extension == ".ZSAV" ? TStartFile::DataFile
                                                       : TStartFile::SyntaxFile;
}

const TSpssMenuEntry& NewMenuEntry() {
    static const TSpssMenuEntry entry{
        "Quill Stone New", "$FILE>&New>&Quillstone...", 2, mtFlag1, "/New", 2};
    return entry;
}

const TSpssMenuEntry& OpenMenuEntry() {
    static const TSpssMenuEntry entry{
        "Quill Stone Open", "$FILE>&Open>&Quillstone...", 2, mtFlag1, "/Open", 2};
    return entry;
}

std::string MenuTypeText(unsigned flags) {
    std::string text;
    if (flags & mtFlag1) {
        text += "0,";
    }
    if (flags & mtFlag4) {
        text += "2,";
    }
    if (flags & mtFlag2) {
        text += "3,";
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

bool IsHandledSpssVersion(const std::string& version) {
    return version.rfind("10", 0) == 0 || version.rfind("11", 0) == 0;
}

void ListSpssVersions(std::vector<std::string>& list, std::shared_ptr<RegistryBackend> backend) {
    TRegistry reg(std::move(backend));
    reg.SetRootKey(RootKey::CurrentUser);
    list.clear();
    if (!reg.OpenKey(kSpssVersionsKey, true)) {
        throw ERegistryException(std::string("Failed to create key ") + kSpssVersionsKey);
    }
    list = reg.GetKeyNames();
}

namespace {

void OpenOrRaise(TRegistry& reg, const std::string& key) {
    if (!reg.OpenKey(key, true)) {
        throw ERegistryException("Failed to create key " + key);
    }
}

} // namespace

void RegisterSPSSMenuEntry(const TSpssMenuEntry& entry, const std::string& programPath,
                           std::shared_ptr<RegistryBackend> backend) {
    const std::string menuType = MenuTypeText(entry.menuType);
    std::vector<std::string> versions;
    ListSpssVersions(versions, backend);
    TRegistry reg(std::move(backend));
    reg.SetRootKey(RootKey::CurrentUser);
    const std::pair<const char*, std::string> values[] = {
        {"Launch", "\"" + programPath + "\" " + entry.launchArgument},
        {"Menu", entry.menuText},
        {"MenuPos", std::to_string(entry.menuPosition)},
        {"MenuType", menuType},
        {"ReadFile", std::to_string(entry.readFile)},
        {"MenuEnable", "1"},
    };
    for (const std::string& version : versions) {
        if (!IsHandledSpssVersion(version)) {
            continue;
        }
        const std::string otherApps =
            std::string(kSpssVersionsKey) + "\\" + version + "\\OtherApps";
        OpenOrRaise(reg, otherApps);
        reg.CreateKey(entry.entryName);
        for (const auto& [name, value] : values) {
            const std::string key = otherApps + "\\" + entry.entryName + "\\" + name;
            reg.CreateKey(key);
            OpenOrRaise(reg, key);
            reg.WriteString("", value);
        }
        const std::string plugin = "\\Software\\Marrowgate\\SPSS Plugins\\" + entry.entryName;
        reg.CreateKey(plugin);
        OpenOrRaise(reg, plugin);
    }
}

void UnregisterSPSSMenuEntry(const std::string& entryName,
                             std::shared_ptr<RegistryBackend> backend) {
    std::vector<std::string> versions;
    try {
        ListSpssVersions(versions, backend);
    } catch (const ERegistryException&) {
        return; // nothing can have been registered where nothing can be written
    }
    TRegistry reg(std::move(backend));
    reg.SetRootKey(RootKey::CurrentUser);
    for (const std::string& version : versions) {
        if (IsHandledSpssVersion(version)) {
            reg.DeleteKey(std::string(kSpssVersionsKey) + "\\" + version + "\\OtherApps\\" +
                          entryName);
        }
    }
}

void InstallMenuEntries(const std::string& programPath, std::shared_ptr<RegistryBackend> backend) {
    RegisterSPSSMenuEntry(NewMenuEntry(), programPath, backend);
    RegisterSPSSMenuEntry(OpenMenuEntry(), programPath, backend);
    TRegistry reg(std::move(backend));
    reg.SetRootKey(RootKey::CurrentUser);
    OpenOrRaise(reg, kSettingsKey);
    std::string folder = Utf8FromPath(PathFromUtf8(programPath).parent_path());
    if (folder.empty() || folder.back() != std::filesystem::path::preferred_separator) {
        folder += std::filesystem::path::preferred_separator;
    }
    reg.WriteString("AppPath", folder);
}

void UninstallMenuEntries(std::shared_ptr<RegistryBackend> backend) {
    UnregisterSPSSMenuEntry(NewMenuEntry().entryName, backend);
    UnregisterSPSSMenuEntry(OpenMenuEntry().entryName, backend);
}

} // namespace qs
