#include "settings/Environment.h"

namespace qs {

namespace {

std::string FolderOrPersonal(const std::string& stored, const std::string& personalFolder) {
    return stored.empty() ? personalFolder : stored;
}

// A folder value that cannot be read is reported and stands in as empty.
template <typename Read> std::string ReadFolder(Read read, std::vector<std::string>& errors) {
    try {
        return read();
    } catch (const ERegistryException& e) {
        errors.emplace_back(e.what());
        return {};
    }
}

} // namespace

EnvironmentValues ReadEnvironment(TRegistrySettings& settings, const std::string& personalFolder,
                                  std::vector<std::string>& errors) {
    EnvironmentValues values;
    values.syntaxFilesPath = FolderOrPersonal(
        ReadFolder([&] { return settings.ReadString("", "SyntaxFilePath"); }, errors),
        personalFolder);
    values.datafilesPath = FolderOrPersonal(
        ReadFolder([&] { return settings.ReadString("", "DataFilePath"); }, errors),
        personalFolder);
    try {
        values.refreshDataObjects = settings.ReadInteger("", "RefreshDataObjects") == 0;
    } catch (const ERegistryException&) {
        values.refreshDataObjects = true;
    }
    return values;
}

void WriteEnvironment(TRegistrySettings& settings, const EnvironmentValues& values) {
    settings.WriteString("", "SyntaxFilePath", values.syntaxFilesPath);
    settings.WriteString("", "DataFilePath", values.datafilesPath);
    settings.WriteInteger("", "RefreshDataObjects", values.refreshDataObjects ? 0 : 1);
}

MainWindowSettings ReadMainWindowSettings(TRegistry& reg, const std::string& personalFolder) {
    MainWindowSettings result;
    reg.CloseKey();
    const bool open = reg.OpenKey(kSettingsKey, true) || reg.OpenKeyReadOnly(kSettingsKey);
    std::string syntax;
    std::string data;
    if (open) {
        syntax = ReadFolder([&] { return reg.ReadString("SyntaxFilePath"); }, result.errors);
        data = ReadFolder([&] { return reg.ReadString("DataFilePath"); }, result.errors);
        try {
            result.autoRefresh = reg.ReadInteger("RefreshDataObjects") == 0;
        } catch (const ERegistryException&) {
            result.autoRefresh = true;
        }
    }
    result.syntaxFolder = FolderOrPersonal(syntax, personalFolder);
    result.dataFolder = FolderOrPersonal(data, personalFolder);
    reg.CloseKey();
    return result;
}

} // namespace qs
