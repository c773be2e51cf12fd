// The Output window under a burst of PSPP table output: lines written into a pseudo-terminal
// by another thread, read from its master side in 4 KiB chunks by the event loop, as the
// engine host does. Prints the time until all text is shown and the longest stall of the
// event loop, measured as the largest gap between ticks of a 1 ms timer.
#include "engine/forms/OutputWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string Repeat(const char* piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// A frequency table as PSPP draws it with box characters, 77 columns wide.
std::string Border(const char* left, const char* middle, const char* right) {
    const int widths[] = {22, 9, 9, 13, 18};
    std::string line = left;
    for (int i = 0; i < 5; ++i) {
        line += Repeat("─", widths[i]);
        line += i < 4 ? middle : right;
    }
    return line + "\n";
}

// Exactly `lines` lines of table output, each ended by LF.
std::string TableOutput(int lines) {
    std::string text;
    int written = 0;
    const auto add = [&](const std::string& line) {
        if (written < lines) {
            text += line;
            ++written;
        }
    };
    char row[256];
    for (int table = 0; written < lines; ++table) {
        std::snprintf(row, sizeof row, "%36sq%d\n", "", table);
        add(row);
        add(Border("╭", "┬", "╮"));
        add("│                      │Frequency│ Percent │Valid Percent│Cumulative Percent│\n");
        add(Border("├", "┼", "┤"));
        const int rows = 5 + table % 36;
        double cumulative = 0;
        for (int r = 0; r < rows; ++r) {
            const double percent = 100.0 / rows;
            cumulative += percent;
            std::snprintf(row, sizeof row, "│%-6s%-16s│%9d│%8.1f%%│%12.1f%%│%17.1f%%│\n",
                          r == 0 ? "Valid" : "", ("answer " + std::to_string(r + 1)).c_str(),
                          10 + r * 7 % 90, percent, percent, cumulative);
            add(row);
        }
        add(Border("├", "┼", "┤"));
        std::snprintf(row, sizeof row, "│%-22s│%9d│%8.1f%%│%13s│%18s│\n", "Total", 1000, 100.0, "",
                      "");
        add(row);
        add(Border("╰", "┴", "╯"));
        add("\n");
    }
    return text;
}

double MaxRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int lineCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    QApplication app(argc, argv);

    const std::string output = TableOutput(lineCount);
    // The terminal turns each LF into CR LF on its way to the master side.
    const std::size_t expectedBytes =
        output.size() + static_cast<std::size_t>(std::count(output.begin(), output.end(), '\n'));

    qs::OutputWindow window;
    window.show();
    QApplication::processEvents();

    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    QStringDecoder decoder(QStringDecoder::Utf8);
    std::size_t bytesRead = 0;
    int chunks = 0;
    QSocketNotifier notifier(master, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        // A few reads per wake-up, then back to the loop, as a pty reader would.
        char buffer[4096];
        for (int i = 0; i < 16; ++i) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            bytesRead += static_cast<std::size_t>(n);
            ++chunks;
            window.AppendOutput(decoder(QByteArrayView(buffer, n)));
        }
    });

    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    Clock::time_point last = Clock::now();
    double longestGap = 0;
    int gapsOver16 = 0;
    int gapsOver50 = 0;
    QTextDocument* document = window.memOutput->document();
    const auto start = Clock::now();
    Clock::time_point shown{};
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        const double gap = Ms(now - last);
        last = now;
        longestGap = std::max(longestGap, gap);
        gapsOver16 += gap > 16 ? 1 : 0;
        gapsOver50 += gap > 50 ? 1 : 0;
        if (bytesRead == expectedBytes && document->blockCount() == lineCount + 1) {
            shown = now;
            loop.quit();
        }
    });
    tick.start(1);

    std::thread writer([&] {
        std::size_t done = 0;
        while (done < output.size()) {
            const ssize_t n = write(slave, output.data() + done, output.size() - done);
            if (n < 0 && errno != EINTR) {
                std::perror("write");
                return;
            }
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    });
    QTimer::singleShot(600000, &loop, &QEventLoop::quit); // a broken run must still end
    loop.exec();
    writer.join();
    close(slave);
    close(master);

    const QString text = window.OutputText();
    const bool intact = text == QString::fromStdString(output);
    // The document's text buffer doubles as it grows; with the allocator's adaptive mmap
    // threshold raised by earlier large frees, each doubling copies into fresh pages.
    const char* threshold = std::getenv("MALLOC_MMAP_THRESHOLD_");
    std::printf("Output window, %d lines of box-drawing table output (%.1f MB) through a pty "
                "in %d reads, %s:\n",
                lineCount, output.size() / 1e6, chunks,
                threshold ? (std::string("mmap threshold fixed at ") + threshold).c_str()
                          : "adaptive mmap threshold");
    if (shown == Clock::time_point{}) {
        std::printf("  NOT all text shown within 10 minutes\n");
    } else {
        std::printf("  all text shown after %.0f ms\n", Ms(shown - start));
    }
    std::printf("  longest event-loop stall %.1f ms (target < 50 ms); gaps > 16 ms: %d, "
                "> 50 ms: %d\n",
                longestGap, gapsOver16, gapsOver50);
    std::printf("  final line count %lld, text intact: %s, peak memory %.0f MB\n",
                static_cast<long long>(text.count(u'\n')), intact ? "yes" : "no", MaxRssMb());
    return 0;
}
