// The Data window's Data View over a large file, as a reader sees it: the window opened on
// the file and its first screen of cells formatted, then, once the index is built, a jump to
// the last case (its screen of cells formatted), and the process's peak memory.
#include "engine/forms/CaseGridView.h"
#include "engine/forms/DataViewModels.h"
#include "engine/forms/DataWindow.h"
#include "platform/spssio/CaseReader.h"

#include <QApplication>
#include <QTableView>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Every cell of `rows` rows from `first` as the view asks for them.
void Screen(const QAbstractItemModel& model, int first, int rows) {
    for (int row = first; row < first + rows && row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            const QModelIndex index = model.index(row, column);
            (void)index.data(Qt::DisplayRole);
            (void)index.data(Qt::TextAlignmentRole);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kScreenRows = 40;
    for (int i = 1; i < argc; ++i) {
        const auto start = Clock::now();
        std::string message;
        std::shared_ptr<qs::spssio::CaseReader> reader = qs::spssio::CaseReader::open(argv[i], message);
        if (!reader) {
            std::fprintf(stderr, "%s: %s\n", argv[i], message.c_str());
            return 1;
        }
        qs::DataWindow window;
        window.resize(1200, 800);
        window.show();
        window.SetCases(reader);
        // The grid holds the rows the window shows; every one of them is formatted.
        const QAbstractItemModel& model = *window.tblCases->model();
        Screen(model, 0, kScreenRows);
        window.tblCases->viewport()->repaint();
        const double first = Ms(Clock::now() - start);
        reader->waitForIndex();
        const auto jump = Clock::now();
        window.tblCases->ScrollToCase(window.casesModel->CaseCount() - 1);
        Screen(model, 0, kScreenRows);
        window.tblCases->viewport()->repaint();
        std::printf("Data View of %s (%lld cases, %d rows shown): first screen %.1f ms (target < "
                    "300 ms); jump to the last case %.1f ms (target < 50 ms)\n",
                    argv[i], static_cast<long long>(window.casesModel->CaseCount()),
                    model.rowCount(), first, Ms(Clock::now() - jump));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  peak memory with the window         %9.1f MB (target < 100 MB)\n",
                double(usage.ru_maxrss) / 1024.0);
    return 0;
}
