#include "app/forms/TFMain.h"

#include "app/forms/RecentFilesMenu.h"
#include "platform/shell/Shell.h"
#include "settings/Environment.h"
#include "settings/forms/TfrmEnvironment.h"
#include "ui/UserDialogs.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

namespace qs {

TFMain::TFMain(std::shared_ptr<RegistryBackend> registry, QWidget* parent)
    : QMainWindow(parent), m_registry(std::move(registry)) {
    setObjectName("FMain");
    setWindowTitle("Quillstone");
    resize(782, 496);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    CreateMenus();
    m_launcher = [this](const std::vector<std::string>& arguments) { StartProgram(arguments); };
    LoadSettings();
    m_recentFiles->Load();
}

TFMain::~TFMain() = default;

void TFMain::CreateMenus() {
    mnuFile = menuBar()->addMenu("&File");
    mnuReopen = mnuFile->addMenu("Reopen");
    mnuReopen->menuAction()->setEnabled(false);
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction("Exit", QKeySequence("Ctrl+Q"), this, &QWidget::close);

    mnuSettings = menuBar()->addMenu("Settings");
    mnuEnvironment = mnuSettings->addAction("Environment...", this, &TFMain::mnuEnvironmentClick);

    m_recentFiles = new RecentFilesMenu(
        mnuFile, mnuReopen,
        [this](const std::string& path) {
            m_launcher({"/REOPEN", path});
        },
        m_registry);
}

void TFMain::SetCaption(const QString& text) {
    setWindowTitle("Quillstone - " + text);
}

void TFMain::UpdateCommandStates() {
    mnuReopen->menuAction()->setEnabled(!m_recentFiles->List().Items().empty());
}

bool TFMain::OpenSyntaxFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        ui::Dialogs().Warning(this, "The selected file does not exist.");
        SetCaption(QString());
        return false;
    }
    m_fileName = QFileInfo(path).absoluteFilePath();
    SetCaption(m_fileName);
    m_recentFiles->Add(m_fileName.toStdString());
    return true;
}

std::optional<QString> TFMain::ExecuteOpenSyntaxDialog() {
    return ui::Dialogs().ChooseOpenFile(this, "Open syntax file", m_syntaxFolder,
                                        "SPSS Syntaxfile (*.sps)");
}

void TFMain::LoadSettings() {
    TRegistry reg(m_registry);
    const MainWindowSettings settings = ReadMainWindowSettings(reg, GetPersonalFolder());
    m_syntaxFolder = QString::fromStdString(settings.syntaxFolder);
    m_dataFolder = QString::fromStdString(settings.dataFolder);
    m_autoRefresh = settings.autoRefresh;
    for (const std::string& error : settings.errors) {
        ui::Dialogs().Warning(this, QString::fromStdString(error));
    }
    if (m_recentFiles != nullptr) {
        UpdateCommandStates();
    }
}

void TFMain::mnuEnvironmentClick() {
    {
        TfrmEnvironment dialog(
            this, [this] { LoadSettings(); }, m_registry);
        dialog.exec();
    }
    LoadSettings();
}

void TFMain::StartProgram(const std::vector<std::string>& arguments) {
    const StartResult started = qs::StartProgram(ProgramFilePath(), arguments);
    if (!started.ok) {
        ui::Dialogs().Warning(
            this, QString::fromStdString("Quillstone could not be started: " + started.error));
    }
}

void TFMain::closeEvent(QCloseEvent* event) {
    m_recentFiles->Store();
    m_recentFiles->Release();
    event->accept();
}

} // namespace qs
