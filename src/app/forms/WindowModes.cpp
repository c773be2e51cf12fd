#include "app/forms/WindowModes.h"

#include "app/SyntaxFile.h"
#include "app/forms/TFMain.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Shell.h"
#include "ui/TApplication.h"
#include "ui/UserDialogs.h"

#include <iostream>

namespace qs {

std::unique_ptr<TFMain> CreateMainWindowForMode(TStartMode mode,
                                                const std::vector<std::string>& arguments,
                                                std::shared_ptr<RegistryBackend> registry) {
    auto window = std::make_unique<TFMain>(std::move(registry), nullptr, arguments);
    switch (mode) {
    case TStartMode::Open: {
        const std::optional<QString> file = window->ExecuteOpenSyntaxDialog();
        if (!file) {
            return nullptr;
        }
        window->OpenSyntaxFile(*file);
        break;
    }
    case TStartMode::Reopen:
        window->OpenSyntaxFile(arguments.size() > 1 ? arguments[1] : std::string());
        break;
    default:
        if (window->FileName().isEmpty()) {
            window->SetCaption("Untitled");
        }
        break;
    }
    window->UpdateCommandStates();
    return window;
}

int QuillstoneMain(int argc, char** argv) {
    // Read while the process has one thread: new files are made with it later.
    ProcessUmask();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const TStartMode mode = SelectStartMode(arguments);
    if (mode == TStartMode::Install) {
        try {
            InstallMenuEntries(ProgramFilePath(), DefaultRegistryBackend());
        } catch (const std::exception& e) {
            std::cerr << "quillstone: " << e.what() << '\n';
            return 1;
        }
        return 0;
    }
    if (mode == TStartMode::Uninstall) {
        UninstallMenuEntries(DefaultRegistryBackend());
        return 0;
    }

    ui::TApplication app(argc, argv);
    if (mode == TStartMode::NoArgument) {
        ui::Dialogs().ShowMessage(nullptr, kNoArgumentMessage);
        return 0;
    }
    std::unique_ptr<TFMain> window;
    try {
        window = CreateMainWindowForMode(mode, arguments, DefaultRegistryBackend());
    } catch (const std::exception& e) {
        ui::Dialogs().Error(nullptr, QString::fromUtf8(e.what()));
        return 1;
    }
    if (!window) {
        return 0;
    }
    window->show();
    const int code = app.exec();
    window->FormDestroy();
    return code;
}

} // namespace qs
