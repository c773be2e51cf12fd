// The rich view of PSPP's output: each run's tables, charts, texts and messages as formatted
// text, with an outline of them beside it. Qt lays out a table in milliseconds, so items are
// queued and inserted over several turns of the event loop, each turn a bounded while. The
// view keeps the newest items only: Qt's cost per turn grows with the document's size.
#pragma once

#include "engine/OutputItem.h"

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <optional>

class QGridLayout;
class QLabel;
class QSplitter;
class QTextBrowser;
class QTextCharFormat;
class QTextCursor;
class QTextDocument;
class QTextTable;
class QTreeWidget;
class QTreeWidgetItem;

namespace qs {

class OutputViewer : public QWidget {
    Q_OBJECT
public:
    explicit OutputViewer(QWidget* parent = nullptr);

    // The items the view keeps unless QUILLSTONE_OUTPUT_ITEMS says otherwise: about 50 KB
    // each for a typical PSPP table as laid out, besides 256 MB at most of charts. While the
    // oldest are let go it holds a fifth more, and as many again in the fresh document.
    static constexpr int kDefaultMaxItems = 500;

    // Starts a run: a node at the top of the outline and a heading in the view. Within a run,
    // a printed-back command (a Syntax item) heads the items after it, in the view and as a
    // node of the outline; one followed by no other item is not shown.
    void BeginRun(const QString& title);
    // Appends the items in order to the view and, under the current run, to the outline; what
    // does not fit in this turn's while follows in the next turns. A chart's image file is read
    // at once and may be removed when this returns.
    void AppendItems(const engine::OutputItems& items);
    // Inserts everything queued now, in one go.
    void FlushItems();
    // Empties the outline and the view and lets go of their memory, images included.
    void Clear();
    // Searches from the selection for `text`, wrapping around, and selects the hit.
    bool FindText(const QString& text, bool backwards);
    // Puts the item selected in the outline, or else the one under the text cursor, on the
    // clipboard: a table as HTML and as tab-separated text, a chart as an image, a text as
    // plain text.
    void CopySelectedItem();

    // Items appended since the last Clear, counted from 0 across runs, the dropped ones
    // included: an item keeps its index, and a chart the name of its image, while it is kept.
    int ItemCount() const { return m_nextItem; }
    // The oldest item still shown; those before it were dropped.
    int FirstItem() const;
    int MaxItems() const { return m_maxItems; }
    // The item's kind; Text for an index out of range or dropped.
    engine::OutputItem::Kind ItemKind(int itemIndex) const;
    // A table item's cells as tab-separated text, one line per row; a spanned cell's text
    // sits in its first cell, the rest of the span is empty. Empty for other items.
    QString TableText(int itemIndex) const;
    // The item under the text cursor, or -1.
    int ItemAtCursor() const;
    // The document range [start, end) of the item, or the whole run, selected in the outline;
    // false when nothing is selected.
    bool SelectedRange(int* start, int* end) const;

    QSplitter* splitter = nullptr;
    QTreeWidget* tvOutline = nullptr;
    QTextBrowser* txtView = nullptr;
    QLabel* lblDropped = nullptr; // says that older output was dropped

signals:
    // The user clicked a message naming a line of the run's syntax.
    void LineActivated(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        engine::OutputItem::Kind kind;
        int index; // as ItemKind() counts
        int start; // [start, end]: document positions plus m_removed, which do not move when
        int end;   // the top of the document goes
        QTreeWidgetItem* node;
        QString text;      // Text, Syntax, Message: the text as the item gave it
        QSize imageSize{}; // Chart: the image's own size (its name in the document is its index)
        engine::OutputItem source; // to put it into a fresh document
        QImage image;              // a chart's, shared with the documents that show it
        int freshStart = 0;        // its range in the fresh document, while one is built
        int freshEnd = 0;
    };
    struct Span {
        int start;
        int end;
    };
    // A run's start (no item) or an item, waiting for its turn.
    struct Pending {
        QString runTitle;
        std::optional<engine::OutputItem> item;
        QImage image; // a chart's, read when it was appended
    };

    // Inserts queued runs and items until `budgetMs` has passed (-1: all), then lays them out;
    // or, while the view holds more than its bound, drops the oldest instead.
    void InsertPending(int budgetMs);
    void InsertRun(const QString& title);
    // A heading for the command whose output follows, and its node under the run's.
    void InsertCommand(const engine::OutputItem& command);
    QTextCharFormat HeadingChars() const;
    QTextCharFormat CommandChars() const;
    // Inserts now unless a burst is pending, and starts the timer for what is left.
    void InsertSoon();
    void ScheduleTurn();
    // The reader is at the end of the view, where new output shows.
    bool AtEnd() const;
    static qint64 ImageBytes(const Entry& entry);
    // More than the view keeps once it has caught up.
    bool OverBound() const;
    // So far over that the oldest go from the top now, without waiting for a fresh document.
    bool MustDrop() const;
    // A fresh document is built past this many items; the shown one stops growing at the hard
    // bound until it is swapped in.
    int SoftBound() const { return m_maxItems + std::max(1, m_maxItems / 10); }
    int HardBound() const { return m_maxItems + std::max(2, m_maxItems / 5); }
    // How many of the oldest items go to keep within the bound.
    int ExcessItems() const;
    // Drops the `count` oldest items (the newest stays), the runs left empty with them, and
    // their charts.
    void DropOldest(int count);
    // Forgets the `count` oldest entries, their charts' bytes and their outline nodes.
    void ForgetOldest(std::size_t count);

    // The oldest items go by building a fresh document of the newest in a second view under
    // the shown one, which then takes its place: Qt's document keeps every removed table's
    // formats until it is cleared, and a removal from its top costs a pass over all of it.
    QTextDocument* NewDocument();
    QTextBrowser* NewView();
    void StartFresh();
    // Puts the next nodes of the outline into the fresh document for `budgetMs`, or swaps it
    // in once it holds them all and the reader is at the end.
    void FreshStep(int budgetMs);
    void PutFresh(QTreeWidgetItem* node);
    bool FreshCaughtUp() const;
    void SwapInFresh();
    void StopFresh();
    // Empties and deletes the documents swapped out, a piece at a time.
    void RetireStep(int budgetMs);
    const Entry* EntryOf(int itemIndex) const;
    Entry* EntryOf(int itemIndex) {
        return const_cast<Entry*>(std::as_const(*this).EntryOf(itemIndex));
    }
    // Queued items that newer ones would push out before they were shown are not inserted at
    // all: the queue holds no more items than the view.
    void SkipUnseen();

    void InsertItem(engine::OutputItem item, const QImage& image);
    // Put a run's or command's heading, or an item, at the end of `document`.
    Span PutHeading(QTextDocument* document, const QString& text, bool run) const;
    Span PutItem(QTextDocument* document, const engine::OutputItem& item, const QImage& image,
                 int index) const;
    // A new paragraph at the end for the next item (an empty last paragraph is used as it is).
    static QTextCursor NewBlockAtEnd(QTextDocument* document);
    void InsertTable(QTextCursor& cursor, const engine::OutputItem& item) const;
    void InsertChart(QTextCursor& cursor, const engine::OutputItem& item, const QImage& image,
                     int itemIndex) const;
    void InsertText(QTextCursor& cursor, const engine::OutputItem& item) const;
    QTextTable* TableOf(int itemIndex) const;
    // Chart widths follow the view's width, never above the image's own.
    QSizeF ChartDisplaySize(QSize imageSize) const;
    void FitCharts();
    QColor MutedColor() const;
    void ShowNode(QTreeWidgetItem* node);
    void SelectNodeAtCursor();
    void OpenLink(const QUrl& url);

    std::deque<Entry> m_items;
    int m_nextItem = 0; // the index the next item inserted gets
    int m_removed = 0;  // characters dropped from the top of the document since Clear
    int m_maxItems = kDefaultMaxItems;
    qint64 m_chartBytes = 0; // the kept charts' images
    std::deque<Pending> m_pending;
    int m_pendingItems = 0; // items in m_pending, runs not counted
    QGridLayout* m_views = nullptr; // the shown view over the fresh one
    QTextBrowser* m_fresh = nullptr;
    std::deque<QTextDocument*> m_retired; // swapped out, being emptied
    bool m_building = false;
    bool m_atEnd = true; // the shown view is at its end, and follows it
    bool m_freshTurn = false;
    int m_freshFirst = -1;                    // the oldest item it keeps
    QTreeWidgetItem* m_freshNext = nullptr;   // the next node to put, or the one after:
    QTreeWidgetItem* m_freshLast = nullptr;   // the last put
    QTreeWidgetItem* m_runNode = nullptr;
    QTreeWidgetItem* m_commandNode = nullptr; // the current run's latest command, if any
    // The latest command of the run, until output of it arrives.
    std::optional<engine::OutputItem> m_heldCommand;
    QTreeWidgetItem* m_lastNode = nullptr;
    bool m_quiet = false; // the program, not the user, moves the view's cursor or the outline
    int m_chartWidth = 0; // the view width the charts were last fitted to
    QTimer m_insertTimer;
    QTimer m_fitTimer;
};

} // namespace qs
