#include "spss/SPSSConnection.h"

#include "app/startup.h"
#include "platform/automation/Apartment.h"
#include "platform/registry/Registry.h"
#include "spss/EAbort.h"

#include <algorithm>
#include <cctype>

namespace qs {

std::string GetRegisteredSpssVersion(std::shared_ptr<RegistryBackend> backend) {
    std::vector<std::string> versions;
    ListSpssVersions(versions, backend);
    TRegistry reg(std::move(backend));
    reg.SetRootKey(RootKey::CurrentUser);
    std::string registered;
    for (const std::string& version : versions) {
        if (reg.OpenKey(std::string(kSpssVersionsKey) + "\\" + version + "\\Setup", true) &&
            reg.ReadString("CurrentlyRegistered") == "1") {
            registered = version; // the last match wins
        }
    }
    return registered;
}

ActiveDataFileHooks DefaultActiveDataFileHooks(std::function<void(const std::string&)> show) {
    ActiveDataFileHooks hooks;
    hooks.connect = [] {
        // The main thread's short connection, by name, from a single-threaded apartment.
        automation::EnsureSingleThreadApartment();
        return automation::GetActiveSpssApp(automation::Binding::ByName);
    };
    hooks.registeredVersion = [] { return GetRegisteredSpssVersion(DefaultRegistryBackend()); };
    hooks.showMessage = std::move(show);
    return hooks;
}

void GetActiveDataFilePath(std::string& path, const ActiveDataFileHooks& hooks) {
    std::unique_ptr<automation::ISpssApp> app;
    try {
        app = hooks.connect();
    } catch (const automation::EAutomationError& e) {
        std::string text = e.what();
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (text == "OPERATION UNAVAILABLE") {
            throw EAbort(); // no engine runs: nothing to ask
        }
        if (hooks.registeredVersion() != "9.0") {
            throw EAbort();
        }
        return; // that version's server refuses the connection; the caller goes on
    }
    try {
        const std::unique_ptr<automation::ISpssDocuments> documents = app->Documents();
        const std::unique_ptr<automation::ISpssDocument> document = documents->GetDataDoc(0);
        path = document->GetDocumentPath().empty() ? kUntitledDataFile : document->GetDocumentPath();
        // No save over the path: it may not even hold the dataset (a GET that failed, a
        // SELECT IF since), and the user's file is the user's to write.
        if (path.empty()) {
            hooks.showMessage(kNoDataFileMessage);
        }
    } catch (const automation::EAutomationError& e) {
        std::string message = kSystemErrorMessage;
        message.replace(message.find("%s"), 2, e.what());
        hooks.showMessage(message);
    }
}

} // namespace qs
