// TSPSSHighlighterStyleDialog: the non-visual component that runs the style dialog. It
// owns a working copy of the highlighter it configures, so that the dialog's changes reach
// that highlighter only when the user confirms them.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qs {

class TSynSPSSHighlighter;
class TSyntaxColorDlg;

class TSPSSHighlighterStyleDialog : public QObject {
    Q_OBJECT
public:
    // Runs the dialog modally and gives its result (QDialog::Accepted or Rejected).
    using TDialogRunner = std::function<int(TSyntaxColorDlg& dialog)>;

    explicit TSPSSHighlighterStyleDialog(QObject* owner = nullptr);
    ~TSPSSHighlighterStyleDialog() override;

    // The highlighter configured (not owned); nullptr until set.
    TSynSPSSHighlighter* Highlighter() const { return m_highlighter; }
    // Takes the highlighter's styles into the working copy. Raises an error, keeping the
    // highlighter it had, when none is given.
    void SetHighlighter(TSynSPSSHighlighter* highlighter);
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    // What the dialog edits and its sample editor shows.
    TSynSPSSHighlighter& WorkingCopy() { return *m_workingCopy; }
    const std::vector<std::string>& SampleVariables() const { return m_sampleVariables; }

    // Shows the dialog with the styles now in use; OK copies the edited styles into the
    // highlighter, Cancel leaves it as it was.
    void ShowDialog();
    // Tests answer the dialog in place of a person; nullptr restores the modal run.
    void SetDialogRunner(TDialogRunner runner) { m_runner = std::move(runner); }

private:
    TSynSPSSHighlighter* m_highlighter = nullptr;
    QString m_caption = "Syntax styler";
    std::unique_ptr<TSynSPSSHighlighter> m_workingCopy;
    std::vector<std::string> m_sampleVariables{"myVar", "testVar", "region"};
    TDialogRunner m_runner;
};

} // namespace qs
