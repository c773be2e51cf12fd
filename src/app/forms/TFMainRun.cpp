// The main window's run of the current command, and the engine's messages shown at the
// lines they refer to.
#include "app/forms/TFMain.h"
#include "spss/CommandSplitter.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QPointer>

#include <memory>

namespace qs {

namespace {

long LineCount(const std::string& text) {
    long lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++lines;
        }
    }
    return lines;
}

QString MessageCounts(int errors, int warnings) {
    QString text = errors == 1 ? QString("1 error") : QString("%1 errors").arg(errors);
    if (warnings > 0) {
        text += warnings == 1 ? QString(", 1 warning") : QString(", %1 warnings").arg(warnings);
    }
    // Marks of earlier runs on lines this run did not send stay, and F8 still finds them.
    return text + " in the last run";
}

} // namespace

bool TFMain::SubmitRun(const std::string& syntax, long firstLine) {
    const long lineCount = LineCount(syntax);
    SynEdit->ClearLineMarks(firstLine, firstLine + lineCount - 1);
    // The messages come on the job worker's thread; the window is looked at only on its own
    // thread, where it may have gone in the meantime.
    auto window = std::make_shared<QPointer<TFMain>>(this);
    return m_appObject->RunSyntax(syntax, [window, firstLine, lineCount](auto messages) {
        QMetaObject::invokeMethod(
            qApp,
            [window, firstLine, lineCount, messages = std::move(messages)] {
                if (*window) {
                    (*window)->ShowRunMessages(firstLine, lineCount, messages);
                }
            },
            Qt::QueuedConnection);
    }, firstLine);
}

void TFMain::ShowRunMessages(long firstLine, long lineCount,
                             const std::optional<std::vector<automation::EngineMessage>>& messages) {
    using Severity = automation::EngineMessage::Severity;
    if (!messages) {
        SetStatus(QString(), 3);
        return;
    }
    int errors = 0;
    int warnings = 0;
    for (const automation::EngineMessage& message : *messages) {
        const bool error = message.severity == Severity::Error;
        errors += error ? 1 : 0;
        warnings += message.severity == Severity::Warning ? 1 : 0;
        // Notes only add to the message before them; other files' lines are not ours.
        if (message.severity != Severity::Note && message.file.empty() && message.line > 0 &&
            message.line <= lineCount) {
            SynEdit->AddLineMark(firstLine + static_cast<long>(message.line) - 1,
                                 error ? TSyntaxEditor::MarkKind::Error
                                       : TSyntaxEditor::MarkKind::Warning,
                                 QString::fromStdString(message.text));
        }
    }
    SetStatus(MessageCounts(errors, warnings), 3);
}

void TFMain::actRunCommandExecute() {
    int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
    if (SynEdit->hasSelectedText()) {
        SynEdit->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
        if (indexTo == 0 && lineTo > lineFrom) {
            --lineTo; // a selection of whole lines ends before the next line's start
        }
    } else {
        SynEdit->getCursorPosition(&lineFrom, &indexFrom);
        lineTo = lineFrom;
    }
    const std::string text = SynEdit->Text();
    // Split as PSPP reads what the run sends: the control ends a line at a lone CR too, and
    // the run sends it as a line break.
    const std::optional<CommandSpan> span =
        CommandsTouching(CrLfLineEnds(text), static_cast<std::size_t>(lineFrom) + 1,
                         static_cast<std::size_t>(lineTo) + 1);
    if (!span) {
        return;
    }
    const long first = static_cast<long>(span->firstLine) - 1;
    const long start = SynEdit->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, first);
    const long end = SynEdit->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION,
                                            static_cast<long>(span->lastLine) - 1);
    const std::string syntax =
        CrLfLineEnds(std::string_view(text).substr(static_cast<std::size_t>(start),
                                                   static_cast<std::size_t>(end - start)));
    // Stepping on before the run, which may end early in the refresh after it.
    if (span->nextLine > 0) {
        SynEdit->SendScintilla(QsciScintilla::SCI_GOTOLINE, static_cast<long>(span->nextLine) - 1);
    } else {
        SynEdit->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    }
    RunText(syntax, first);
}

void TFMain::actNextErrorExecute() {
    SynEdit->GotoLineMark(1);
}

void TFMain::actPrevErrorExecute() {
    SynEdit->GotoLineMark(-1);
}

} // namespace qs
