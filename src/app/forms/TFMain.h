// The main window: one syntax document per process, with the data file objects beside it.
#pragma once

#include "app/ObjectFilter.h"
#include "app/SyntaxFile.h"
#include "app/TQuillstone.h"
#include "platform/help/HelpViewer.h"
#include "platform/registry/RegistryBackend.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace qs {

class ManualPane;
class ObjectTreeDelegate;
class RecentFilesMenu;
class TSPSSDatafile;
class TFindReplace;
class TSPSSHighlighterStyleDialog;
class TSynSPSSHighlighter;
class TSyntaxEditor;

// "The selected file does not exist." with the path that was not found on a line below.
QString MissingFileMessage(const std::string& path);

class TFMain : public QMainWindow {
    Q_OBJECT
public:
    // Starts another process of the program with these arguments.
    using ProgramLauncher = std::function<void(const std::vector<std::string>& arguments)>;

    explicit TFMain(std::shared_ptr<RegistryBackend> registry = DefaultRegistryBackend(),
                    std::unique_ptr<TQuillstone> appObject = nullptr,
                    const std::vector<std::string>& arguments = {}, QWidget* parent = nullptr);
    ~TFMain() override;

    // "Quillstone - " followed by the text.
    void SetCaption(const QString& text);
    void SetStatus(const QString& text, int panel);
    QString Status(int panel) const;
    void UpdateCommandStates();
    // Paths are kept as the file system's bytes from argument to system call, so that a
    // name that is not valid UTF-8 still opens and saves; text for the screen is decoded.
    static std::string NativePath(const QString& path);
    static QString DisplayPath(const std::string& path);
    bool OpenSyntaxFile(const std::string& path);
    bool OpenSyntaxFile(const QString& path) { return OpenSyntaxFile(NativePath(path)); }
    bool WriteSyntaxFile();
    void LoadDataFile(const std::string& path);
    void LoadDataFile(const QString& path) { LoadDataFile(NativePath(path)); }
    void RefreshDataFileObjects();
    // Rebuilds the object tree from a data file; an empty path clears it.
    virtual void LoadObjectTree(const std::string& path);
    void LoadObjectTree(const QString& path) { LoadObjectTree(NativePath(path)); }
    // The "Open syntax file" dialog; nullopt when cancelled.
    std::optional<QString> ExecuteOpenSyntaxDialog();
    void LoadSettings();
    void SetProgramLauncher(ProgramLauncher launcher) { m_launcher = std::move(launcher); }
    // The question asked when the window goes away with unsaved changes; runs once.
    void FormDestroy();

    // Handlers.
    void actNewExecute();
    void actOpenExecute();
    void actSaveExecute();
    void mnuSaveAsClick();
    void mnuCloseClick();
    void mnuExitClick();
    void actUndoExecute();
    void actRedoExecute();
    void actCutExecute();
    void actCopyExecute();
    void actPasteExecute();
    void actDeleteExecute();
    void actRunExecute();
    void mnuAllClick();
    // Runs the commands the caret or the selection touches, then puts the caret at the
    // start of the command after them.
    void actRunCommandExecute();
    // The caret to the next or previous line the engine reported a message for.
    void actNextErrorExecute();
    void actPrevErrorExecute();
    // Marks the lines of a run's messages; `firstLine` (0-based) is the editor line the
    // run's text started on, `lineCount` how many lines it had. Without messages (an
    // engine that does not tell them) nothing is marked and no count is shown.
    void ShowRunMessages(long firstLine, long lineCount,
                         const std::optional<std::vector<automation::EngineMessage>>& messages);
    void actRefreshDatafileExecute();
    // Stops the run in progress and drops the jobs still waiting (Ctrl+Break).
    void actStopExecute();
    // Shows what a data file query found: the objects of the engine's private copy of
    // its dictionary, and the data document's path in status panel 1.
    void ApplyDataFileQuery(const TDataFileQuery& result);
    void mnuNewDataClick();
    void mnuOpenDataClick();
    void mnuEnvironmentClick();
    void actStyleExecute();
    void actGotoLineExecute();
    // Brings the window forward at `line` (1-based), as asked from the engine's Output window.
    void ShowLine(long line);
    void SynEditChange();
    void SynEditEnter();
    void tlObjectTreeDblClick();
    // The caret follows a drag over the editor; false when the point is outside it.
    bool SynEditDragOver(const QPoint& point);
    void SynEditDragDrop(const QPoint& point);
    // The selected variable and set names, each followed by a blank.
    QString InsertionText() const;

    // Printing and help.
    void actPrintExecute();
    void actQuillstoneHelpExecute();
    void actSearchWordHelpExecute();
    void actBaseExecute();
    void actTableExecute();
    void actTrendsExecute();
    void actCategoriesExecute();
    void actConjointExecute();
    void actMapExecute();
    void actMissingValueAnalysisExecute();
    std::string GetSpssDirectory();
    // Hides the manuals whose files are missing; all stay when no folder is registered.
    void UpdateManualActions();
    void OpenSpssManual(const std::string& fileName);
    void ShowHelpKeyword(const std::string& keyword, const std::string& helpFile);
    // In the help pane: a page of the manual the help viewer names, with `search` selected;
    // the manual page of the command at the caret, or the index with the word searched.
    void ShowManualPage(const std::string& page, const QString& search = QString());
    void ShowManualForCaret();
    ManualPane* HelpPane() const { return m_manualPane; }
    void SetHelpViewer(std::shared_ptr<HelpViewer> viewer) { m_help = std::move(viewer); }
    // Prints into this PDF file instead of on the default printer (tests, previews).
    void SetPrintFile(const QString& pdfFile) { m_printFile = pdfFile; }

    const QString& SyntaxDialogFolder() const { return m_syntaxFolder; }
    const QString& DataDialogFolder() const { return m_dataFolder; }
    bool AutoRefresh() const { return m_autoRefresh; }
    bool Modified() const { return m_modified; }
    QString FileName() const;
    QString DataFileName() const;
    TextEncoding Encoding() const { return m_encoding; }
    RecentFilesMenu& RecentFiles() { return *m_recentFiles; }
    TQuillstone& AppObject() { return *m_appObject; }
    TSynSPSSHighlighter& SynSPSSHighlighter() { return *m_highlighter; }

    TSyntaxEditor* SynEdit = nullptr;
    QTreeWidget* tlObjectTree = nullptr;
    // Above the tree: keeps the objects whose name or label holds its text.
    QLineEdit* edtObjectFilter = nullptr;
    QSplitter* Splitter = nullptr;
    class SyntaxOutline* m_outline = nullptr;
    class QDockWidget* dckOutline = nullptr;
    QMenu* mnuView = nullptr;
    // Runs the style dialog on SynSPSSHighlighter; a child of the window.
    TSPSSHighlighterStyleDialog* SPSSHighlighterStyleDialog = nullptr;
    QToolBar* ToolBar = nullptr;
    QAction *actNew = nullptr, *actOpen = nullptr, *actSave = nullptr, *actPrint = nullptr;
    QAction *actUndo = nullptr, *actRedo = nullptr, *actCut = nullptr, *actCopy = nullptr;
    QAction *actPaste = nullptr, *actDelete = nullptr, *actFind = nullptr, *actFindP = nullptr;
    QAction *actFindN = nullptr, *actReplace = nullptr, *actRun = nullptr;
    QAction *actRunCommand = nullptr, *actNextError = nullptr, *actPrevError = nullptr;
    QAction *actRefreshDatafile = nullptr, *actStyle = nullptr, *actSearchWordHelp = nullptr;
    QAction *actQuillstoneHelp = nullptr, *actBase = nullptr, *actTable = nullptr;
    QAction *actTrends = nullptr, *actCategories = nullptr, *actConjoint = nullptr;
    QAction *actMap = nullptr, *actMissingValueAnalysis = nullptr;
    QAction *actGotoLine = nullptr, *actZoomIn = nullptr, *actZoomOut = nullptr;
    QAction* actStop = nullptr;
    QAction *actToggleComment = nullptr, *actZoomNormal = nullptr;
    QMenu *mnuFile = nullptr, *mnuEdit = nullptr, *mnuRun = nullptr, *mnuSettings = nullptr;
    QMenu *mnuHelp = nullptr, *mnuNew = nullptr, *mnuOpen = nullptr, *mnuReopen = nullptr;
    QAction *mnuNewData = nullptr, *mnuOpenData = nullptr, *mnuSaveAs = nullptr;
    QAction *mnuClose = nullptr, *mnuPrint = nullptr, *mnuExit = nullptr, *mnuAll = nullptr;
    QAction *mnuEnvironment = nullptr, *mnuLoadLanguageDef = nullptr, *mnuAbout = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    // Toggle comment (in the Edit menu) and the View menu with the zoom.
    void CreateEditorActions();
    void CreateViewMenu();
    void CreateClientArea();
    void CreateOutline();
    void CreateStatusBar();
    // The caret's line and column and the modified marker, in status panel 2.
    void ShowCaretStatus();
    // The window's place and the editor's zoom from the last run; stored as they change.
    void RestoreWindowState();
    void StoreWindowState();
    void StoreZoom();
    // Before starting another window: its place, a step on from this one's.
    void StoreCascadedPlace();
    // "Quillstone Help", a separator and the manuals, at the top of the Help menu.
    void CreateHelpMenu();
    // Tells the user when a help or document viewer could not be reached.
    void ReportHelpResult(const HelpResult& result);
    void FormCreate(const std::vector<std::string>& arguments);
    void FormActivate();
    void StartProgram(const std::vector<std::string>& arguments);
    // Runs a user command; an error that escapes it is reported here rather than thrown
    // through the toolkit's event handling, and a silent abort ends it quietly.
    void RunCommand(const std::function<void()>& command);
    enum class SaveOutcome { Saved, Cancelled, Failed };
    // The Save As dialog and, when confirmed, the write.
    SaveOutcome SaveAs();
    // Writes the document to a path; the document takes that name only once it is written.
    bool WriteSyntaxFileTo(const std::string& path);
    // Asks before writing over a file that changed on disk since this window read or
    // wrote it; true when the write may go ahead.
    bool MayOverwrite(const std::string& path);
    // Runs the text, which starts on editor line `firstLine` (0-based), and marks the
    // lines of the messages the engine reports for it once they come.
    void RunText(const std::string& syntax, long firstLine = 0);
    // Hands the text to the engine with the handler of its messages; false when it will
    // not run.
    bool SubmitRun(const std::string& syntax, long firstLine);
    // The elapsed time of the runs in progress, at the right of the status bar.
    void StartRunClock();
    void UpdateRunClock();
    void InsertSelectedNames();
    bool HandleTreeDrag(QEvent* event);
    // The tree with the filter box above it, for the splitter's left side.
    QWidget* CreateObjectPanel();
    void ApplyObjectFilter();

    std::shared_ptr<RegistryBackend> m_registry;
    std::unique_ptr<TQuillstone> m_appObject;
    std::unique_ptr<TSynSPSSHighlighter> m_highlighter;
    std::unique_ptr<TSPSSDatafile> SPSSDatafile;
    std::unique_ptr<TFindReplace> m_findReplace;
    ObjectTreeDelegate* m_objectDelegate = nullptr;
    ObjectFilter m_objectFilter;            // the tree's objects, variables then sets
    std::vector<std::uint8_t> m_objectShown; // what the filter shows of them now
    // The objects in tree order, and the number of them that are variables.
    std::vector<QTreeWidgetItem*> m_objectItems;
    std::size_t m_variableObjects = 0;
    // Holds the objects the filter leaves out: taken out of the tree rather than hidden in
    // it, the view lays out only the rows it shows.
    std::unique_ptr<QTreeWidgetItem> m_filteredOut;
    RecentFilesMenu* m_recentFiles = nullptr;
    ProgramLauncher m_launcher;
    static constexpr int kStatusPanels = 4;
    QLabel* m_statusPanels[kStatusPanels] = {};
    QLabel* m_runPanel = nullptr;
    QTimer* m_runTimer = nullptr;
    QElapsedTimer m_runClock;
    QString m_statusAtRefresh; // status panel 0 when the last refresh was asked for
    QString m_syntaxFolder;
    QString m_dataFolder;
    bool m_autoRefresh = true;
    bool m_modified = false;
    bool m_destroyed = false;
    bool m_clipboardHasText = false;
    TextEncoding m_encoding = TextEncoding::Utf8;
    FileStamp m_diskStamp; // the document's file as this window last read or wrote it
    bool m_shownOnce = false;
    std::shared_ptr<HelpViewer> m_help = CreateHelpViewer();
    ManualPane* m_manualPane = nullptr; // made at the first help asked for
    QString m_printFile;
};

} // namespace qs
