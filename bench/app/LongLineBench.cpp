// Typing at the end of one 2 MB line in the main window: the time per keystroke, screen
// update included, and the processor time the idle editor uses while its caret blinks there.
#include "app/forms/TFMain.h"
#include "platform/registry/HiveFileBackend.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QEventLoop>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Counts the paints of the text area, to show that the caret really blinks while idle.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// A file whose second line is `bytes` long (statements, or plain words), between short
// lines that fill the rest of the window.
std::string LongLineFile(std::size_t bytes, bool statements) {
    std::string text = "* A file with one very long line.\r\n";
    for (unsigned i = 0; text.size() < bytes; ++i) {
        text += statements ? "COMPUTE v" + std::to_string(i % 5000) + " = v" +
                                 std::to_string(i * 7 % 5000) + " + 1. "
                           : "plain words w" + std::to_string(i % 5000) + " ";
    }
    for (int i = 0; i < 50; ++i) {
        text += "\r\nFREQUENCIES v" + std::to_string(i) + ".";
    }
    return text + "\r\nEXECUTE.\r\n";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path dir = argc > 1 ? argv[1] : "bench-longline";
    const std::size_t megabytes = argc > 2 ? std::stoul(argv[2]) : 2;
    const int keyCount = argc > 3 ? std::stoi(argv[3]) : 20;
    std::filesystem::create_directories(dir);

    QApplication app(argc, argv);
    auto registry = std::make_shared<qs::HiveFileBackend>((dir / "registry.reg").string());
    qs::TFMain window(registry);
    window.show();
    QApplication::processEvents();
    qs::TSyntaxEditor* editor = window.SynEdit;
    PaintCounter counter;
    editor->viewport()->installEventFilter(&counter);

    for (const bool statements : {true, false}) {
        const auto file = dir / (statements ? "statements.sps" : "words.sps");
        std::ofstream(file, std::ios::binary) << LongLineFile(megabytes << 20, statements);
        window.OpenSyntaxFile(QString::fromStdString(file.string()));
        // The offscreen platform never activates a window, so the editor never gets the
        // focus by itself: hand it a focus event, which starts the caret's blinking.
        QFocusEvent focusIn(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(editor, &focusIn);

        // Key times typed at `pos`, sorted; Backspace when `erase`.
        const auto typeAt = [&](long pos, bool erase = false) {
            editor->SendScintilla(QsciScintilla::SCI_GOTOPOS, pos);
            editor->viewport()->repaint();
            QApplication::processEvents();
            const std::string typed = " COMPUTE z = z + 1.";
            std::vector<double> keys;
            for (int i = 0; i < keyCount; ++i) {
                const QChar typedChar(typed[static_cast<std::size_t>(i) % typed.size()]);
                const auto start = Clock::now();
                // For printable ASCII a key's code is its upper-case character.
                QKeyEvent press(QEvent::KeyPress,
                                erase ? int(Qt::Key_Backspace) : typedChar.toUpper().unicode(),
                                Qt::NoModifier, erase ? QString() : QString(typedChar));
                QApplication::sendEvent(editor, &press);
                editor->viewport()->repaint();
                QApplication::processEvents();
                keys.push_back(Ms(Clock::now() - start));
            }
            std::sort(keys.begin(), keys.end());
            return keys;
        };
        const long lineStart = editor->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, 1);
        const long lineEnd = editor->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, 1);
        const std::vector<double> middle = typeAt((lineStart + lineEnd) / 2);
        const std::vector<double> erased =
            typeAt(editor->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, 1), true);
        const std::vector<double> keys =
            typeAt(editor->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, 1));
        // Undo of a typed run at the end, one Ctrl+Z each.
        std::vector<double> undos;
        for (int i = 0; i < keyCount; ++i) {
            for (const char c : std::string(" COMPUTE z = 1.")) {
                QKeyEvent press(QEvent::KeyPress, QChar(c).toUpper().unicode(), Qt::NoModifier,
                                QString(QChar(c)));
                QApplication::sendEvent(editor, &press);
            }
            editor->viewport()->repaint();
            QApplication::processEvents();
            const auto start = Clock::now();
            QKeyEvent undo(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
            QApplication::sendEvent(editor, &undo);
            editor->viewport()->repaint();
            QApplication::processEvents();
            undos.push_back(Ms(Clock::now() - start));
        }
        std::sort(undos.begin(), undos.end());
        double sum = 0;
        for (double k : keys) {
            sum += k;
        }

        // Idle: only the event loop runs, with the caret blinking at the end of the line.
        const int paintsBefore = counter.paints;
        const double cpuBefore = CpuMs();
        const auto idleStart = Clock::now();
        QEventLoop idle;
        QTimer::singleShot(2000, Qt::PreciseTimer, &idle, &QEventLoop::quit);
        idle.exec();
        const double idleWall = Ms(Clock::now() - idleStart);
        const double idleCpu = CpuMs() - cpuBefore;

        std::printf("%s line of %.1f MB:\n", statements ? "statement" : "plain-word",
                    static_cast<double>(editor->SendScintilla(QsciScintilla::SCI_LINELENGTH, 1)) /
                        (1 << 20));
        std::printf("  keystroke at its end: mean %.2f ms, median %.2f ms, max %.2f ms "
                    "(target < 16 ms)\n",
                    sum / keys.size(), keys[keys.size() / 2], keys.back());
        std::printf("  keystroke in its middle: median %.2f ms, max %.2f ms\n",
                    middle[middle.size() / 2], middle.back());
        std::printf("  Backspace at its end: median %.2f ms, max %.2f ms\n",
                    erased[erased.size() / 2], erased.back());
        std::printf("  Undo of a typed run at its end: median %.2f ms, max %.2f ms\n",
                    undos[undos.size() / 2], undos.back());
        std::printf("  idle with the caret there: %.0f ms CPU in %.0f ms = %.1f %% of a core "
                    "(caret period %ld ms, focus %s, %d repaints)\n",
                    idleCpu, idleWall, 100.0 * idleCpu / idleWall,
                    editor->SendScintilla(QsciScintilla::SCI_GETCARETPERIOD),
                    editor->SendScintilla(QsciScintilla::SCI_GETFOCUS) ? "yes" : "no",
                    counter.paints - paintsBefore);
    }
    // The typed text is no one's work: leave without the question about saving it.
    std::fflush(stdout);
    std::_Exit(0);
}
