// The rich output view under many small tables: 10,000 frequency tables as PSPP 1.6.2 wrote
// them, appended in batches of 50, one batch per turn of the event loop, as the engine hands
// over a long run's output. Prints the time until all are shown, the longest AppendItems
// call, the longest stall of the event loop (the largest gap between ticks of a 1 ms timer)
// and the resident memory before, after, and after Clear.
#include "engine/forms/OutputViewer.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// FREQUENCIES of an 8-case variable as PSPP's HTML driver writes it: inline styles, spans.
const char* const kRecordedTable = R"pspp(<table>
<caption style='text-align: center; vertical-align: middle; font-family: "Sans Serif"; font-weight: bold; font-size: 9pt'>Ex &lt;&amp;&gt; label</caption>
<tbody>
<tr>
<th style='text-align: center; vertical-align: middle; font-family: "Sans Serif"; font-weight: bold; font-size: 9pt; border-top: thick solid; border-left: thick solid'></th>
<th style='text-align: center; vertical-align: middle; font-family: "Sans Serif"; font-weight: bold; font-size: 9pt; border-top: thick solid'></th>
<th style='text-align: center; vertical-align: bottom; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: thick solid'>Frequency</th>
<th style='text-align: center; vertical-align: bottom; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: solid'>Percent</th>
<th style='text-align: center; vertical-align: bottom; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: solid'>Valid Percent</th>
<th style='text-align: center; vertical-align: bottom; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: solid; border-right: thick solid'>Cumulative Percent</th>
</tr>
<tr>
<th style='font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: thick solid' rowspan="5">Valid</th>
<th style='font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid'>1.00</th>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: thick solid'>1</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: solid'>12.5%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: solid'>12.5%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-top: thick solid; border-left: solid; border-right: thick solid'>12.5%</td>
</tr>
<tr>
<th style='font-family: "Sans Serif"; font-size: 9pt'>2.00</th>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: thick solid'>2</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>25.0%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>25.0%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid; border-right: thick solid'>37.5%</td>
</tr>
<tr>
<th style='font-family: "Sans Serif"; font-size: 9pt'>3.00</th>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: thick solid'>2</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>25.0%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>25.0%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid; border-right: thick solid'>62.5%</td>
</tr>
<tr>
<th style='font-family: "Sans Serif"; font-size: 9pt'>4.00</th>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: thick solid'>2</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>25.0%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>25.0%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid; border-right: thick solid'>87.5%</td>
</tr>
<tr>
<th style='font-family: "Sans Serif"; font-size: 9pt'>5.00</th>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: thick solid'>1</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>12.5%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid'>12.5%</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-left: solid; border-right: thick solid'>100.0%</td>
</tr>
<tr>
<th style='font-family: "Sans Serif"; font-size: 9pt; border-top: solid; border-left: thick solid; border-bottom: thick solid' colspan="2">Total</th>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-top: solid; border-left: thick solid; border-bottom: thick solid'>8</td>
<td style='text-align: right; font-family: "Sans Serif"; font-size: 9pt; border-top: solid; border-left: solid; border-bottom: thick solid'>100.0%</td>
<td style='font-family: "Sans Serif"; font-size: 9pt; border-top: solid; border-left: solid; border-bottom: thick solid'></td>
<td style='font-family: "Sans Serif"; font-size: 9pt; border-top: solid; border-left: solid; border-bottom: thick solid; border-right: thick solid'></td>
</tr>
</tbody>
</table>)pspp";

double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

qs::engine::OutputItems Batch(int first, int count) {
    const std::string table = kRecordedTable;
    const std::string caption = "Ex &lt;&amp;&gt; label";
    qs::engine::OutputItems items;
    for (int i = first; i < first + count; ++i) {
        qs::engine::OutputItem item;
        item.kind = qs::engine::OutputItem::Kind::Table;
        item.title = "Table " + std::to_string(i + 1);
        item.html = table;
        item.html.replace(item.html.find(caption), caption.size(), item.title);
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int tables = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int batchSize = argc > 2 ? std::atoi(argv[2]) : 50;
    QApplication app(argc, argv);

    qs::OutputViewer viewer;
    viewer.resize(1000, 700);
    viewer.show();
    QApplication::processEvents();
    const double before = ResidentMb();

    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    Clock::time_point last = Clock::now();
    double longestGap = 0;
    int gapsOver50 = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        const double gap = Ms(now - last);
        last = now;
        longestGap = std::max(longestGap, gap);
        gapsOver50 += gap > 50 ? 1 : 0;
    });

    int appended = 0;
    double longestBatch = 0;
    double firstBatch = 0;
    QTimer feeder;
    feeder.setInterval(0);
    const auto start = Clock::now();
    viewer.BeginRun(QStringLiteral("A long run"));
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        const int count = std::min(batchSize, tables - appended);
        const qs::engine::OutputItems items = Batch(appended, count);
        const auto batchStart = Clock::now();
        viewer.AppendItems(items);
        const double took = Ms(Clock::now() - batchStart);
        firstBatch = appended == 0 ? took : firstBatch;
        longestBatch = std::max(longestBatch, took);
        appended += count;
        if (appended == tables) {
            feeder.stop();
        }
    });
    Clock::time_point shown{};
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (viewer.ItemCount() == tables && shown == Clock::time_point{}) {
            shown = Clock::now();
            // One more while, so that whatever the view does after the last table is measured.
            QTimer::singleShot(50, &loop, &QEventLoop::quit);
        }
    });
    tick.start(1);
    feeder.start();
    QTimer::singleShot(1800000, &loop, &QEventLoop::quit); // a broken run must still end
    loop.exec();
    const double total = Ms((shown == Clock::time_point{} ? Clock::now() : shown) - start);
    tick.stop();

    const int shownCount = viewer.ItemCount();
    const double after = ResidentMb();
    viewer.Clear();
    QApplication::processEvents();
    const double cleared = ResidentMb();

    std::printf("Output viewer, %d recorded PSPP tables (%zu bytes of HTML each) in batches "
                "of %d:\n",
                tables, std::char_traits<char>::length(kRecordedTable), batchSize);
    // The view keeps the newest MaxItems(): the rest went past, never shown or dropped.
    std::printf("  all %d taken after %.0f ms (%.2f ms a table); the view keeps the newest %d\n",
                shownCount, total, total / std::max(shownCount, 1),
                std::min(shownCount, viewer.MaxItems()));
    std::printf("  longest AppendItems call %.1f ms (first %.1f ms); longest event-loop stall "
                "%.1f ms, gaps > 50 ms: %d\n",
                longestBatch, firstBatch, longestGap, gapsOver50);
    std::printf("  resident memory %.0f MB before, %.0f MB after, %.0f MB after Clear\n", before,
                after, cleared);
    return 0;
}
