// The main window's help: the editor's own help file, F1 in the statistics package's help,
// and the package's PDF manuals in the Help menu; where the platform has the language's
// HTML manual instead (PSPP's, on Linux), F1 and the manuals open it in the help pane.
#include "app/HelpFiles.h"
#include "app/ManualPages.h"
#include "app/SyntaxFile.h"
#include "app/forms/ManualPane.h"
#include "highlight/SynHighlighterSPSS.h"
#include "app/forms/TFMain.h"
#include "platform/FilePath.h"
#include "platform/help/HelpViewer.h"
#include "platform/shell/Shell.h"
#include "ui/TSyntaxEditor.h"
#include "ui/UserDialogs.h"

#include <QMenu>

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace qs {

namespace {

const TSpssManual& Manual(const char* action) {
    for (const TSpssManual& manual : kSpssManuals) {
        if (std::string_view(manual.action) == action) {
            return manual;
        }
    }
    throw std::logic_error(std::string("no manual for ") + action);
}

} // namespace

void TFMain::CreateHelpMenu() {
    actQuillstoneHelp = new QAction("Quillstone Help", this);
    actQuillstoneHelp->setObjectName("actQuillstoneHelp");
    actQuillstoneHelp->setIconText("Quillstone");
    connect(actQuillstoneHelp, &QAction::triggered, this,
            [this] { RunCommand([this] { actQuillstoneHelpExecute(); }); });
    mnuHelp->addAction(actQuillstoneHelp);
    mnuHelp->addSeparator();

    const std::pair<QAction**, void (TFMain::*)()> manuals[] = {
        {&actBase, &TFMain::actBaseExecute},
        {&actTable, &TFMain::actTableExecute},
        {&actTrends, &TFMain::actTrendsExecute},
        {&actCategories, &TFMain::actCategoriesExecute},
        {&actConjoint, &TFMain::actConjointExecute},
        {&actMap, &TFMain::actMapExecute},
        {&actMissingValueAnalysis, &TFMain::actMissingValueAnalysisExecute},
    };
    static_assert(std::size(manuals) == kSpssManuals.size());
    for (std::size_t i = 0; i < kSpssManuals.size(); ++i) {
        QAction*& action = *manuals[i].first;
        const auto handler = manuals[i].second;
        action = new QAction(kSpssManuals[i].caption, this);
        action->setObjectName(kSpssManuals[i].action);
        connect(action, &QAction::triggered, this,
                [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
        mnuHelp->addAction(action);
    }
}

std::string TFMain::GetSpssDirectory() {
    return qs::GetSpssDirectory(m_registry);
}

void TFMain::UpdateManualActions() {
    // At start a missing registration is no reason for a box: the manuals stay listed,
    // and choosing one reports the error.
    std::string directory;
    try {
        directory = GetSpssDirectory();
    } catch (const std::exception&) {
        return;
    }
    for (const TSpssManual& manual : kSpssManuals) {
        std::error_code ec;
        const bool present = std::filesystem::exists(PathFromUtf8(directory + manual.file), ec);
        if (auto* action = findChild<QAction*>(manual.action); action != nullptr && !present) {
            action->setVisible(false);
        }
    }
}

void TFMain::ShowManualPage(const std::string& page, const QString& search) {
    const std::optional<ManualLocation> manual = m_help->Manual();
    if (m_manualPane == nullptr) {
        m_manualPane = new ManualPane(this);
        addDockWidget(Qt::RightDockWidgetArea, m_manualPane);
        // A third of the window, so that the text keeps most of it.
        resizeDocks({m_manualPane}, {width() / 3}, Qt::Horizontal);
    }
    if (!manual || manual->folder.empty()) {
        m_manualPane->ShowMessage(manual ? QString::fromStdString(manual->missing) : QString());
        return;
    }
    const std::string folder = manual->folder + kPathSeparator;
    m_manualPane->SetStartPage(DisplayPath(folder + std::string(kManualStartPage)));
    m_manualPane->ShowPage(DisplayPath(folder + page), search);
}

void TFMain::ShowManualForCaret() {
    const std::optional<ManualLocation> manual = m_help->Manual();
    int line = 0;
    int index = 0;
    SynEdit->getCursorPosition(&line, &index);
    // Split as the run sends the text, a lone CR being a line break there too.
    const std::vector<std::string> head =
        CommandHeadAt(CrLfLineEnds(SynEdit->Text()), static_cast<std::size_t>(line) + 1);
    const ManualVocabulary words{SynSPSSHighlighter().List(ElementList::Commands),
                                 SynSPSSHighlighter().List(ElementList::TwoWordCommands),
                                 SynSPSSHighlighter().List(ElementList::ThreeWordCommands)};
    const std::string folder = manual ? manual->folder + kPathSeparator : std::string();
    const std::string page =
        manual && !manual->folder.empty()
            ? ManualPageFor(head, words,
                            [&folder](const std::string& name) {
                                std::error_code ec;
                                return std::filesystem::is_regular_file(PathFromUtf8(folder + name), ec);
                            })
            : std::string();
    if (!page.empty()) {
        ShowManualPage(page);
        return;
    }
    QString word = SynEdit->WordAtCaret();
    if (word.isEmpty() && !head.empty()) {
        word = QString::fromStdString(head.front());
    }
    ShowManualPage(std::string(kManualCommandIndex), word);
}

void TFMain::OpenSpssManual(const std::string& fileName) {
    if (m_help->Manual()) {
        ShowManualPage(std::string(kManualStartPage));
        return;
    }
    ReportHelpResult(
        m_help->OpenDocument(GetSpssDirectory() + fileName, static_cast<std::uintptr_t>(winId())));
}

void TFMain::ShowHelpKeyword(const std::string& keyword, const std::string& helpFile) {
    ReportHelpResult(m_help->ShowHelpKeyword(keyword, helpFile));
}

void TFMain::ReportHelpResult(const HelpResult& result) {
    if (!result.ok) {
        ui::Dialogs().Warning(this, QString::fromStdString(result.error));
    }
}

void TFMain::actQuillstoneHelpExecute() {
    ShowHelpKeyword("", ProgramHelpFile(ProgramFilePath()));
}

void TFMain::actSearchWordHelpExecute() {
    if (m_help->Manual()) {
        ShowManualForCaret();
        return;
    }
    const std::string word = SynEdit->WordAtCaret().toStdString();
    ShowHelpKeyword(word, SpssHelpFile(GetSpssDirectory()));
}

void TFMain::actBaseExecute() {
    OpenSpssManual(Manual("actBase").file);
}

void TFMain::actTableExecute() {
    OpenSpssManual(Manual("actTable").file);
}

void TFMain::actTrendsExecute() {
    OpenSpssManual(Manual("actTrends").file);
}

void TFMain::actCategoriesExecute() {
    OpenSpssManual(Manual("actCategories").file);
}

void TFMain::actConjointExecute() {
    OpenSpssManual(Manual("actConjoint").file);
}

void TFMain::actMapExecute() {
    OpenSpssManual(Manual("actMap").file);
}

void TFMain::actMissingValueAnalysisExecute() {
    OpenSpssManual(Manual("actMissingValueAnalysis").file);
}

} // namespace qs
