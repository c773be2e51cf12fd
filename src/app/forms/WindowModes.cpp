#include "app/forms/WindowModes.h"

#include "app/SyntaxFile.h"
#include "app/TQuillstone.h"
#include "app/forms/TFMain.h"
#include "platform/automation/Automation.h"
#ifndef _WIN32
#include "platform/automation/EngineWatch.h"
#endif
#include "spss/SPSSJobEngine.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Shell.h"
#include "ui/TApplication.h"
#include "ui/UserDialogs.h"

#include <QPointer>

#include <iostream>
#include <mutex>

namespace qs {

std::unique_ptr<TFMain> CreateMainWindowForMode(TStartMode mode,
                                                const std::vector<std::string>& arguments,
                                                std::shared_ptr<RegistryBackend> registry,
                                                std::unique_ptr<TQuillstone> appObject) {
    auto window = std::make_unique<TFMain>(std::move(registry), std::move(appObject), arguments);
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

namespace {

// The worker may still finish a job after the UI has gone (the engine ends with the
// process); what it posts then has nowhere to go.
std::mutex g_uiMutex;
bool g_uiGone = false;

template <typename F> void PostToUi(F&& f) {
    std::lock_guard lock(g_uiMutex);
    if (!g_uiGone && qApp != nullptr) {
        QMetaObject::invokeMethod(qApp, std::forward<F>(f), Qt::QueuedConnection);
    }
}

// Marks the UI gone for the worker's posts once the scope holding the application ends.
struct UiLifetime {
    UiLifetime() {
        std::lock_guard lock(g_uiMutex);
        g_uiGone = false;
    }
    ~UiLifetime() {
        std::lock_guard lock(g_uiMutex);
        g_uiGone = true;
    }
};

} // namespace

const char* const kEngineRenewedNote =
    "Quillstone found its engine session gone and started a new one: the data of the "
    "earlier session are gone.";

void ConnectEngineToWindow(TSPSSJobEngine& engine, std::function<TFMain*()> window) {
    engine.OnJobUnfinished = [window](TSPSSJobEngine& sender, std::unique_ptr<TSPSSJob>& job,
                                      bool&) {
        const bool syntax = dynamic_cast<TSPSSSyntaxJob*>(job.get()) != nullptr;
        const bool attach = dynamic_cast<TSPSSAttachJob*>(job.get()) != nullptr;
        if (!syntax && !attach && !sender.SpssApp) {
            // Without an engine a show job fails too; the attach job already said why.
            sender.FailedJobs.Push(std::move(job));
            return;
        }
        const QString text =
            QString::fromUtf8(syntax ? "Run failed: " : "Engine request failed: ") +
            QString::fromStdString(job->ErrorMessage);
        sender.FailedJobs.Push(std::move(job));
        PostToUi([window, text] {
            if (TFMain* w = window()) {
                w->SetStatus(text, 0);
            }
        });
    };
    engine.OnWorkerError = [window](TSPSSJobEngine&, const std::string& message) {
        const QString text = QString::fromStdString(message);
        PostToUi([window, text] { ui::Dialogs().Error(window(), text); });
    };
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
    const UiLifetime uiLifetime; // ends before app: the worker's posts stop first
    if (mode == TStartMode::NoArgument) {
        ui::Dialogs().ShowMessage(nullptr, kNoArgumentMessage);
        return 0;
    }
    std::unique_ptr<TFMain> window;
    static QPointer<TFMain> shown;
    ConnectEngineToWindow(JobEngine(), [] { return shown.data(); });
    // An engine that has gone (its windows closed) is started anew for the next request;
    // what the old one held is lost, and its new Output window says so.
    JobEngine().Reconnect = [] { return automation::CoSPSSApplication::Create(); };
    JobEngine().OnReconnected = [](automation::ISpssApp& engine) {
        try {
            engine.Note(kEngineRenewedNote);
        } catch (const automation::EAutomationError&) {
            // An engine that cannot show notes still runs the job.
        }
    };
    // The show job's cursor changes reach the UI thread as posted calls. Bringing the
    // engine's window forward is the engine's own part on this platform: it raises a
    // document window when that is made visible.
    TSPSSUiHooks uiHooks;
    uiHooks.SetBusyCursor = [] {
        PostToUi([] { QApplication::setOverrideCursor(Qt::WaitCursor); });
    };
    uiHooks.RestoreCursor = [] { PostToUi([] { QApplication::restoreOverrideCursor(); }); };
    try {
        auto appObject = std::make_unique<TQuillstone>(
            JobEngine(),
            TSPSSAppFactory{[] { return automation::GetActiveSpssApp(); },
                            [] { return automation::CoSPSSApplication::Create(); }},
            uiHooks);
        window = CreateMainWindowForMode(mode, arguments, DefaultRegistryBackend(),
                                         std::move(appObject));
        shown = window.get();
    } catch (const std::exception& e) {
        ui::Dialogs().Error(nullptr, QString::fromUtf8(e.what()));
        return 1;
    }
    if (!window) {
        return 0;
    }
    window->show();
#ifndef _WIN32
    // A message clicked in the engine's Output window brings this window to its line.
    const automation::EngineWatch watch([](std::int64_t line) {
        PostToUi([line] {
            if (TFMain* w = shown.data()) {
                w->ShowLine(static_cast<long>(line));
            }
        });
    });
#endif
    const int code = app.exec();
    window->FormDestroy();
    // The window has gone; a run still going on is left to the engine, which says so,
    // rather than holding the process until it ends.
    JobEngine().Abort();
    return code;
}

} // namespace qs
