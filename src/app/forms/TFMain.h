// The main window: one syntax document per process, with the data file objects beside it.
#pragma once

#include "platform/registry/RegistryBackend.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QAction;

namespace qs {

class RecentFilesMenu;

class TFMain : public QMainWindow {
    Q_OBJECT
public:
    // Starts another process of the program with these arguments.
    using ProgramLauncher = std::function<void(const std::vector<std::string>& arguments)>;

    explicit TFMain(std::shared_ptr<RegistryBackend> registry = DefaultRegistryBackend(),
                    QWidget* parent = nullptr);
    ~TFMain() override;

    // "Quillstone - " followed by the text.
    void SetCaption(const QString& text);
    void UpdateCommandStates();
    // Makes the file the document; a missing file gives a warning and an untitled caption.
    bool OpenSyntaxFile(const QString& path);
    // The "Open syntax file" dialog; nullopt when cancelled.
    std::optional<QString> ExecuteOpenSyntaxDialog();
    void LoadSettings();
    void SetProgramLauncher(ProgramLauncher launcher) { m_launcher = std::move(launcher); }

    void mnuEnvironmentClick();

    const QString& SyntaxDialogFolder() const { return m_syntaxFolder; }
    const QString& DataDialogFolder() const { return m_dataFolder; }
    bool AutoRefresh() const { return m_autoRefresh; }
    const QString& FileName() const { return m_fileName; }
    RecentFilesMenu& RecentFiles() { return *m_recentFiles; }

    QMenu* mnuFile = nullptr;
    QMenu* mnuReopen = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuSettings = nullptr;
    QAction* mnuEnvironment = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void StartProgram(const std::vector<std::string>& arguments);

    std::shared_ptr<RegistryBackend> m_registry;
    RecentFilesMenu* m_recentFiles = nullptr;
    ProgramLauncher m_launcher;
    QString m_fileName;
    QString m_syntaxFolder;
    QString m_dataFolder;
    bool m_autoRefresh = true;
};

} // namespace qs
