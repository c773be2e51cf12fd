// The rich view of PSPP's output: queued insertion of items, the outline, find and copy.
#include "engine/forms/OutputViewer.h"
#include "engine/forms/OutputTableHtml.h"
#include "engine/forms/OutputViewerNodes.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QGridLayout>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace qs {

using namespace outline;

namespace {

using Kind = engine::OutputItem::Kind;
using Severity = engine::OutputItem::Severity;

// Inserting for this long takes several times as long again to scan and lay out in a full
// view: a turn stays under 50 ms.
constexpr int kInsertBudgetMs = 3;
// Charts' images are kept in full; beyond this many bytes of them the oldest items go too.
constexpr qint64 kMaxChartBytes = 256LL * 1024 * 1024;
// The view follows a resize with the chart sizes only once the user has stopped dragging.
constexpr int kFitDelayMs = 100;
// How often a built fresh document looks whether the reader is back at the end.
constexpr int kSwapWaitMs = 100;
constexpr int kMaxNodeChars = 80;
constexpr int kItemSpacing = 6; // pixels above each item

QString NodeText(const std::string& text, Kind kind) {
    QString line = QString::fromStdString(text).section(u'\n', 0, 0).trimmed();
    if (line.size() > kMaxNodeChars) {
        line = line.left(kMaxNodeChars - 1) + QChar(0x2026);
    }
    if (!line.isEmpty()) {
        return line;
    }
    return kind == Kind::Table   ? OutputViewer::tr("Table")
           : kind == Kind::Chart ? OutputViewer::tr("Chart")
                                 : OutputViewer::tr("Text");
}

bool IsCommand(const std::optional<engine::OutputItem>& item) {
    return item && item->kind == Kind::Syntax;
}

QTextBlockFormat HeadingBlock(bool first) {
    QTextBlockFormat block;
    block.setTopMargin(first ? 0 : 3 * kItemSpacing);
    block.setBottomMargin(kItemSpacing / 2);
    return block;
}

QTextBlockFormat CommandBlock() {
    QTextBlockFormat block;
    block.setTopMargin(2 * kItemSpacing);
    return block;
}

int MaxItemsFromEnvironment() {
    bool set = false;
    const int items = qEnvironmentVariableIntValue("QUILLSTONE_OUTPUT_ITEMS", &set);
    return set && items > 0 ? items : OutputViewer::kDefaultMaxItems;
}

} // namespace

OutputViewer::OutputViewer(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_maxItems = MaxItemsFromEnvironment();
    lblDropped = new QLabel(
        tr("Older output was dropped: the view keeps the newest %1 items; the Text tab has more.")
            .arg(m_maxItems),
        this);
    lblDropped->setContentsMargins(6, 3, 6, 3);
    lblDropped->setWordWrap(true);
    lblDropped->hide();
    layout->addWidget(lblDropped);
    splitter = new QSplitter(Qt::Horizontal, this);

    tvOutline = new QTreeWidget(splitter);
    tvOutline->setHeaderHidden(true);
    tvOutline->setColumnCount(1);
    // Thousands of nodes: one row height spares measuring each of them.
    tvOutline->setUniformRowHeights(true);
    auto* actCopyItem = new QAction(tr("&Copy"), tvOutline);
    actCopyItem->setShortcuts(QKeySequence::Copy);
    actCopyItem->setShortcutContext(Qt::WidgetShortcut);
    connect(actCopyItem, &QAction::triggered, this, &OutputViewer::CopySelectedItem);
    tvOutline->addAction(actCopyItem);
    tvOutline->setContextMenuPolicy(Qt::ActionsContextMenu);

    // The shown view, with the one a fresh document is built in under it (see StartFresh).
    auto* views = new QWidget(splitter);
    m_views = new QGridLayout(views);
    m_views->setContentsMargins(0, 0, 0, 0);
    txtView = NewView();

    splitter->addWidget(tvOutline);
    splitter->addWidget(views);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 740}); // titles of tables and charts run long
    layout->addWidget(splitter, 1);

    connect(tvOutline, &QTreeWidget::itemClicked, this, &OutputViewer::ShowNode);
    connect(tvOutline, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (!m_quiet && node) {
            ShowNode(node);
        }
    });

    m_insertTimer.setSingleShot(true);
    connect(&m_insertTimer, &QTimer::timeout, this, [this] {
        InsertPending(kInsertBudgetMs);
        ScheduleTurn();
    });
    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(kFitDelayMs);
    connect(&m_fitTimer, &QTimer::timeout, this, &OutputViewer::FitCharts);
}

void OutputViewer::BeginRun(const QString& title) {
    m_heldCommand.reset();
    m_pending.push_back({title, std::nullopt, {}});
    InsertSoon();
}

void OutputViewer::InsertSoon() {
    // Always the timer's turn: a turn's worth here, besides one of the timer's in the same
    // pass of the event loop, would double the stall.
    if (!m_insertTimer.isActive()) {
        m_insertTimer.start(0);
    }
}

void OutputViewer::ScheduleTurn() {
    const bool canInsert =
        !m_pending.empty() && (!m_building || static_cast<int>(m_items.size()) < HardBound());
    const bool canBuild = m_building && (!FreshCaughtUp() || AtEnd());
    if (canInsert || canBuild || MustDrop() || !m_retired.empty()) {
        m_insertTimer.start(0);
    } else if (m_building) {
        // Built, and waiting for the reader to come back to the end.
        m_insertTimer.start(kSwapWaitMs);
    }
}

bool OutputViewer::AtEnd() const {
    const QScrollBar* bar = txtView->verticalScrollBar();
    return m_atEnd || bar->value() >= bar->maximum();
}

void OutputViewer::AppendItems(const engine::OutputItems& items) {
    int count = 0;
    for (const engine::OutputItem& item : items) {
        // A command heads its output; one that printed nothing (a transformation, DATA
        // LIST) would only fill the outline.
        if (item.kind == Kind::Syntax) {
            m_heldCommand = item;
            continue;
        }
        if (m_heldCommand) {
            m_pending.push_back({{}, std::exchange(m_heldCommand, std::nullopt), {}});
        }
        ++count;
        Pending pending{{}, item, {}};
        if (item.kind == Kind::Chart && !item.image.empty()) {
            // The file is gone once the caller has control back.
            pending.image = QImage(QString::fromStdString(item.image));
        }
        m_pending.push_back(std::move(pending));
    }
    m_pendingItems += count;
    SkipUnseen();
    InsertSoon();
}

void OutputViewer::FlushItems() {
    m_insertTimer.stop();
    InsertPending(-1);
}

qint64 OutputViewer::ImageBytes(const Entry& entry) {
    return 4LL * entry.imageSize.width() * entry.imageSize.height();
}

bool OutputViewer::OverBound() const {
    return m_items.size() > 1 &&
           (static_cast<int>(m_items.size()) > m_maxItems || m_chartBytes > kMaxChartBytes);
}

bool OutputViewer::MustDrop() const {
    // While a fresh document is built nothing goes: its nodes must stay.
    return !m_building && m_items.size() > 1 &&
           (static_cast<int>(m_items.size()) > HardBound() || m_chartBytes > kMaxChartBytes);
}

int OutputViewer::ExcessItems() const {
    int count = std::max(0, static_cast<int>(m_items.size()) - m_maxItems);
    qint64 bytes = m_chartBytes;
    for (int i = 0; i < count; ++i) {
        bytes -= ImageBytes(m_items[static_cast<std::size_t>(i)]);
    }
    while (bytes > kMaxChartBytes && count < static_cast<int>(m_items.size()) - 1) {
        bytes -= ImageBytes(m_items[static_cast<std::size_t>(count++)]);
    }
    return count;
}

void OutputViewer::InsertPending(int budgetMs) {
    RetireStep(1);
    if (budgetMs < 0) {
        StopFresh();
    } else if (m_building) {
        // Turns alternate between the two documents; the shown one waits at its bound.
        const bool full = static_cast<int>(m_items.size()) >= HardBound();
        if (std::exchange(m_freshTurn, !m_freshTurn) || m_pending.empty() || full) {
            FreshStep(budgetMs);
            return;
        }
    }
    // A turn drops or inserts, not both: each costs a pass over the whole document.
    const bool drop = budgetMs < 0 ? OverBound() : MustDrop();
    const bool insert = !m_pending.empty() && (!drop || budgetMs < 0);
    if (!drop && !insert) {
        return;
    }
    QScrollBar* bar = txtView->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    const bool follow = !tvOutline->currentItem() || tvOutline->currentItem() == m_lastNode;
    m_quiet = true;
    QElapsedTimer clock;
    clock.start();
    // One edit for the whole turn: Qt scans the whole document for its frames, and lays out,
    // once per edit that adds a table, which would make a long output ever slower to grow.
    QTextCursor edit(txtView->document());
    if (insert) {
        edit.beginEditBlock();
        do {
            Pending pending = std::move(m_pending.front());
            m_pending.pop_front();
            if (IsCommand(pending.item)) {
                InsertCommand(*pending.item);
            } else if (pending.item) {
                --m_pendingItems;
                InsertItem(std::move(*pending.item), pending.image);
            } else {
                InsertRun(pending.runTitle);
            }
        } while (!m_pending.empty() &&
                 (budgetMs < 0 ||
                  (clock.elapsed() < budgetMs && static_cast<int>(m_items.size()) < HardBound())));
        edit.endEditBlock();
    }
    if (budgetMs < 0 ? OverBound() : drop) {
        // An edit of its own: Qt lays out again only what an edit spans, and one from the top
        // to the newest item would span the whole document.
        edit.beginEditBlock();
        DropOldest(ExcessItems());
        edit.endEditBlock();
    }

    if (follow) {
        tvOutline->setCurrentItem(m_lastNode);
        tvOutline->scrollToItem(m_lastNode);
    }
    m_quiet = false;
    if (atEnd) {
        bar->setValue(bar->maximum());
    }
    if (budgetMs >= 0 && !m_building && static_cast<int>(m_items.size()) > SoftBound()) {
        StartFresh();
    }
}

QTextCursor OutputViewer::NewBlockAtEnd(QTextDocument* document) {
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat block;
    block.setTopMargin(kItemSpacing);
    // The block after a table, and the document's first, are empty and wait for the next item.
    if (cursor.block().length() > 1) {
        cursor.insertBlock(block, QTextCharFormat());
    } else {
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(QTextCharFormat());
        cursor.setCharFormat(QTextCharFormat());
    }
    return cursor;
}

OutputViewer::Span OutputViewer::PutHeading(QTextDocument* document, const QString& text,
                                            bool run) const {
    QTextCursor cursor = NewBlockAtEnd(document);
    const int start = cursor.position();
    cursor.setBlockFormat(run ? HeadingBlock(start == 0) : CommandBlock());
    cursor.insertText(text, run ? HeadingChars() : CommandChars());
    return {start, cursor.position()};
}

void OutputViewer::InsertRun(const QString& title) {
    const Span span = PutHeading(txtView->document(), title, true);
    m_runNode = new QTreeWidgetItem(tvOutline, {title});
    m_runNode->setData(0, kStartRole, span.start + m_removed);
    m_runNode->setData(0, kEndRole, span.end + m_removed);
    m_runNode->setData(0, kIndexRole, -1);
    m_runNode->setData(0, kHeadingRole, title);
    m_runNode->setExpanded(true);
    m_lastNode = m_runNode;
    m_commandNode = nullptr;
}

void OutputViewer::InsertCommand(const engine::OutputItem& command) {
    if (!m_runNode) {
        InsertRun(tr("Output"));
    }
    // Its first line names it; inline data and long subcommands would bury the output.
    const QString heading = QString::fromStdString(command.title).section(u'\n', 0, 0).trimmed();
    const Span span = PutHeading(txtView->document(), heading, false);
    m_commandNode = new QTreeWidgetItem(m_runNode, {NodeText(command.title, Kind::Syntax)});
    m_commandNode->setData(0, kStartRole, span.start + m_removed);
    m_commandNode->setData(0, kEndRole, span.end + m_removed);
    m_commandNode->setData(0, kIndexRole, -1);
    m_commandNode->setData(0, kHeadingRole, heading);
    m_commandNode->setToolTip(0, QString::fromStdString(command.title));
    m_commandNode->setExpanded(true);
    m_lastNode = m_commandNode;
}

QTextCharFormat OutputViewer::HeadingChars() const {
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(txtView->font().pointSizeF() * 1.3);
    return heading;
}

QTextCharFormat OutputViewer::CommandChars() const {
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(txtView->font().pointSizeF() * 1.1);
    return heading;
}

void OutputViewer::DropOldest(int count) {
    const auto dropped =
        static_cast<std::size_t>(std::min(count, static_cast<int>(m_items.size()) - 1));
    if (dropped == 0) {
        return;
    }
    StopFresh(); // its nodes may go
    QTreeWidgetItem* keptNode = m_items[dropped].node;
    QTreeWidgetItem* keptRun = RunOf(keptNode);
    QTreeWidgetItem* keptCommand = keptNode->parent() != keptRun ? keptNode->parent() : nullptr;
    const QTreeWidgetItem* before = m_items[dropped - 1].node;
    // The headings the kept item stands under go with the older items, and are put back.
    std::vector<QTreeWidgetItem*> headings;
    if (RunOf(const_cast<QTreeWidgetItem*>(before)) == keptRun) {
        headings.push_back(keptRun);
        if (keptCommand && before->parent() == keptCommand) {
            headings.push_back(keptCommand);
        }
    }
    QTreeWidgetItem* firstKept = headings.empty() ? keptRun
                                 : headings.size() == 1 && keptCommand ? keptCommand
                                                                        : keptNode;
    const int cut = firstKept == keptNode ? m_items[dropped].start
                                          : firstKept->data(0, kStartRole).toInt();
    QTextDocument* document = txtView->document();
    QTextCursor top(document);
    top.setPosition(cut - m_removed, QTextCursor::KeepAnchor);
    top.removeSelectedText();
    m_removed = cut;
    int added = 0;
    std::vector<std::pair<int, int>> spans;
    for (QTreeWidgetItem* heading : headings) {
        const bool run = heading == keptRun;
        top.setPosition(added);
        top.insertBlock(); // splits off an empty block; what is kept goes on in the next
        top.setPosition(added);
        top.setBlockFormat(run ? HeadingBlock(true) : CommandBlock());
        top.setBlockCharFormat(run ? HeadingChars() : CommandChars());
        top.insertText(heading->data(0, kHeadingRole).toString(), run ? HeadingChars() : CommandChars());
        spans.emplace_back(added, top.position());
        added = top.position() + 1;
    }
    m_removed -= added;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        headings[i]->setData(0, kStartRole, spans[i].first + m_removed);
        headings[i]->setData(0, kEndRole, spans[i].second + m_removed);
    }
    if (headings.empty()) {
        QTextBlockFormat first;
        first.setTopMargin(0);
        top.mergeBlockFormat(first);
    }

    ForgetOldest(dropped);
}

void OutputViewer::ForgetOldest(std::size_t count) {
    QTreeWidgetItem* keptNode = m_items[count].node;
    QTreeWidgetItem* keptRun = RunOf(keptNode);
    QTreeWidgetItem* keptCommand = keptNode->parent() != keptRun ? keptNode->parent() : nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        const Entry& entry = m_items[i];
        m_chartBytes -= ImageBytes(entry);
        if (entry.kind == Kind::Chart) {
            // QTextDocument cannot forget a resource; an empty one lets go of the image.
            txtView->document()->addResource(QTextDocument::ImageResource, ChartName(entry.index),
                                             QVariant());
        }
    }
    // The outline's older nodes go the same way, the dropped items' with their runs and
    // commands.
    const bool quiet = std::exchange(m_quiet, true);
    if (keptCommand) {
        while (keptCommand->child(0) != keptNode) {
            delete keptCommand->takeChild(0);
        }
    }
    while (keptRun->child(0) != (keptCommand ? keptCommand : keptNode)) {
        delete keptRun->takeChild(0);
    }
    while (tvOutline->topLevelItem(0) != keptRun) {
        delete tvOutline->takeTopLevelItem(0);
    }
    m_quiet = quiet;
    m_items.erase(m_items.begin(), m_items.begin() + static_cast<std::ptrdiff_t>(count));
    lblDropped->show();
}

OutputViewer::Span OutputViewer::PutItem(QTextDocument* document, const engine::OutputItem& item,
                                         const QImage& image, int index) const {
    QTextCursor cursor = NewBlockAtEnd(document);
    const int start = cursor.position();
    switch (item.kind) {
    case Kind::Table:
        InsertTable(cursor, item);
        break;
    case Kind::Chart:
        InsertChart(cursor, item, image, index);
        break;
    case Kind::Text:
    case Kind::Syntax:
    case Kind::Message:
        InsertText(cursor, item);
        break;
    }
    return {start, cursor.position()};
}

void OutputViewer::InsertItem(engine::OutputItem item, const QImage& image) {
    if (!m_runNode) {
        InsertRun(tr("Output"));
    }
    const int index = m_nextItem++;
    const Span span = PutItem(txtView->document(), item, image, index);
    Entry entry{item.kind, index, span.start + m_removed, span.end + m_removed, nullptr, {}, {}};
    if (item.kind == Kind::Chart) {
        entry.imageSize = image.size();
        entry.image = image;
        m_chartBytes += ImageBytes(entry);
    }
    entry.node = new QTreeWidgetItem(m_commandNode ? m_commandNode : m_runNode,
                                     {NodeText(item.title, item.kind)});
    entry.node->setData(0, kStartRole, entry.start);
    entry.node->setData(0, kEndRole, entry.end);
    entry.node->setData(0, kIndexRole, index);
    m_lastNode = entry.node;
    entry.text = QString::fromStdString(item.title);
    entry.source = std::move(item);
    m_items.push_back(std::move(entry));
}

void OutputViewer::InsertTable(QTextCursor& cursor, const engine::OutputItem& item) const {
    if (item.html.empty()) {
        // Too large to keep as a table (a listing of a whole dataset): the Text tab has it.
        QTextCharFormat note;
        note.setForeground(MutedColor());
        cursor.insertText(tr("%1: the table is too large to show here; the Text tab has it.")
                              .arg(QString::fromStdString(item.title)),
                          note);
        return;
    }
    const int start = cursor.position();
    cursor.insertHtml(QtTableHtml(item.html));
    // Qt starts the caption's paragraph after the empty one it was inserted into, which would
    // show as a blank line above the table.
    QTextCursor first(cursor.document());
    first.setPosition(start);
    const QTextBlock next = first.block().next();
    if (first.block().length() == 1 && next.isValid() && !QTextCursor(next).currentTable()) {
        first.deleteChar();
    }
    QTextBlockFormat spaced;
    spaced.setTopMargin(kItemSpacing);
    first.mergeBlockFormat(spaced);
}

void OutputViewer::InsertChart(QTextCursor& cursor, const engine::OutputItem& item,
                               const QImage& image, int itemIndex) const {
    if (image.isNull()) {
        QTextCharFormat missing;
        missing.setForeground(MutedColor());
        cursor.insertText(
            tr("[Chart not shown: %1 could not be read]").arg(QString::fromStdString(item.image)),
            missing);
        return;
    }
    // The document holds the image itself, so that the view does not need the file.
    cursor.document()->addResource(QTextDocument::ImageResource, ChartName(itemIndex), image);
    QTextImageFormat format;
    format.setName(ChartName(itemIndex).toString());
    const QSizeF shown = ChartDisplaySize(image.size());
    format.setWidth(shown.width());
    format.setHeight(shown.height());
    format.setToolTip(QString::fromStdString(item.title));
    cursor.insertImage(format);
}

void OutputViewer::InsertText(QTextCursor& cursor, const engine::OutputItem& item) const {
    QString text = QString::fromStdString(item.title);
    // One block per item: its lines stay together and are found again by position.
    text.replace(u'\n', QChar::LineSeparator);
    QTextCharFormat format;
    if (item.kind == Kind::Syntax) {
        format.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        format.setForeground(MutedColor());
    } else if (item.kind == Kind::Message) {
        switch (item.severity) {
        case Severity::Error:
            format.setForeground(QColor(0xc0, 0x00, 0x00));
            break;
        case Severity::Warning:
            format.setForeground(QColor(0xa0, 0x52, 0x00));
            break;
        case Severity::Note:
            format.setForeground(MutedColor());
            break;
        case Severity::None:
            break;
        }
        if (item.line > 0) {
            format.setAnchor(true);
            format.setAnchorHref(QStringLiteral("line:%1").arg(item.line));
            format.setFontUnderline(true);
            format.setToolTip(tr("Go to line %1").arg(item.line));
        }
    }
    cursor.insertText(text, format);
}

QColor OutputViewer::MutedColor() const {
    // Between text and background, readable on a light or a dark palette.
    const QColor text = palette().text().color();
    const QColor base = palette().base().color();
    return QColor::fromRgbF((text.redF() + base.redF()) / 2, (text.greenF() + base.greenF()) / 2,
                            (text.blueF() + base.blueF()) / 2);
}

QSizeF OutputViewer::ChartDisplaySize(QSize imageSize) const {
    // The view's width less the document's margins and room for the text cursor.
    const qreal room = txtView->viewport()->width() - 2 * txtView->document()->documentMargin() - 4;
    if (room <= 0 || imageSize.width() <= room) {
        return imageSize;
    }
    return {room, imageSize.height() * room / imageSize.width()};
}

void OutputViewer::FitCharts() {
    const int width = txtView->viewport()->width();
    if (width == m_chartWidth) {
        return;
    }
    m_chartWidth = width;
    // A reader at the end stays there while the charts change their height.
    QScrollBar* bar = txtView->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    const bool quiet = std::exchange(m_quiet, true);
    QTextCursor edit(txtView->document());
    edit.beginEditBlock();
    for (const Entry& entry : m_items) {
        if (entry.kind != Kind::Chart || entry.imageSize.isEmpty()) {
            continue;
        }
        QTextCursor cursor(txtView->document());
        cursor.setPosition(entry.start - m_removed);
        cursor.setPosition(entry.start - m_removed + 1, QTextCursor::KeepAnchor);
        QTextImageFormat format = cursor.charFormat().toImageFormat();
        const QSizeF shown = ChartDisplaySize(entry.imageSize);
        if (format.isValid() && QSizeF(format.width(), format.height()) != shown) {
            format.setWidth(shown.width());
            format.setHeight(shown.height());
            cursor.setCharFormat(format);
        }
    }
    edit.endEditBlock();
    m_quiet = quiet;
    if (atEnd) {
        bar->setValue(bar->maximum());
    }
}

bool OutputViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtView->viewport() && event->type() == QEvent::Resize) {
        m_fitTimer.start();
    }
    return QWidget::eventFilter(watched, event);
}

void OutputViewer::ShowNode(QTreeWidgetItem* node) {
    const int start = node->data(0, kStartRole).toInt() - m_removed;
    const int end = node->data(0, kEndRole).toInt() - m_removed;
    QTextCursor cursor(txtView->document());
    cursor.setPosition(end);
    cursor.setPosition(start, QTextCursor::KeepAnchor);
    const bool quiet = std::exchange(m_quiet, true); // the node is chosen already
    txtView->setTextCursor(cursor);
    m_quiet = quiet;
    // The item's top at the top of the view, not merely somewhere in it.
    QTextCursor top(txtView->document());
    top.setPosition(start);
    QScrollBar* bar = txtView->verticalScrollBar();
    bar->setValue(bar->value() + txtView->cursorRect(top).top() - kItemSpacing);
}

bool OutputViewer::SelectedRange(int* start, int* end) const {
    const QTreeWidgetItem* node = tvOutline->currentItem();
    if (node == nullptr || !node->isSelected()) {
        return false;
    }
    // A run or command reaches to the end of its last item, not only of its heading.
    const QTreeWidgetItem* last = node;
    while (last->childCount() > 0) {
        last = last->child(last->childCount() - 1);
    }
    *start = node->data(0, kStartRole).toInt() - m_removed;
    *end = last->data(0, kEndRole).toInt() - m_removed;
    return *start >= 0 && *end > *start;
}

int OutputViewer::ItemAtCursor() const {
    const int position = txtView->textCursor().position() + m_removed;
    // Items lie in document order; where one ends the next may start.
    const auto after = std::upper_bound(m_items.begin(), m_items.end(), position,
                                        [](int p, const Entry& e) { return p < e.start; });
    if (after == m_items.begin() || position > std::prev(after)->end) {
        return -1;
    }
    return std::prev(after)->index;
}

void OutputViewer::SelectNodeAtCursor() {
    const int index = m_quiet ? -1 : ItemAtCursor();
    if (index < 0) {
        return;
    }
    m_quiet = true; // the view is where the user put it
    tvOutline->setCurrentItem(EntryOf(index)->node);
    m_quiet = false;
}

void OutputViewer::OpenLink(const QUrl& url) {
    if (url.scheme() != u"line") {
        return;
    }
    bool ok = false;
    const int line = url.path().toInt(&ok);
    if (ok && line > 0) {
        emit LineActivated(line);
    }
}

const OutputViewer::Entry* OutputViewer::EntryOf(int itemIndex) const {
    // Indexes rise, with gaps where queued items were skipped.
    const auto at = std::lower_bound(m_items.begin(), m_items.end(), itemIndex,
                                     [](const Entry& e, int index) { return e.index < index; });
    return at != m_items.end() && at->index == itemIndex ? &*at : nullptr;
}

int OutputViewer::FirstItem() const {
    return m_items.empty() ? m_nextItem : m_items.front().index;
}

engine::OutputItem::Kind OutputViewer::ItemKind(int itemIndex) const {
    const Entry* entry = EntryOf(itemIndex);
    return entry ? entry->kind : Kind::Text;
}

QTextTable* OutputViewer::TableOf(int itemIndex) const {
    if (ItemKind(itemIndex) != Kind::Table) {
        return nullptr;
    }
    const Entry& entry = *EntryOf(itemIndex);
    // The caption comes first as a paragraph of its own, then the table.
    QTextCursor cursor(txtView->document());
    cursor.setPosition(entry.start - m_removed);
    while (!cursor.currentTable() && cursor.position() < entry.end - m_removed &&
           cursor.movePosition(QTextCursor::NextBlock)) {
    }
    return cursor.currentTable();
}

QString OutputViewer::TableText(int itemIndex) const {
    const QTextTable* table = TableOf(itemIndex);
    return table ? TableTsv(*table) : QString();
}

void OutputViewer::CopySelectedItem() {
    const QTreeWidgetItem* node = tvOutline->currentItem();
    int index = node ? node->data(0, kIndexRole).toInt() : -1;
    if (index < 0) {
        index = ItemAtCursor();
    }
    const Entry* found = EntryOf(index);
    if (!found) {
        return;
    }
    const Entry& entry = *found;
    auto* mime = new QMimeData;
    switch (entry.kind) {
    case Kind::Table: {
        QTextCursor range(txtView->document());
        range.setPosition(entry.start - m_removed);
        range.setPosition(entry.end - m_removed, QTextCursor::KeepAnchor);
        mime->setHtml(QTextDocumentFragment(range).toHtml());
        mime->setText(TableText(index));
        break;
    }
    case Kind::Chart:
        mime->setImageData(
            txtView->document()->resource(QTextDocument::ImageResource, ChartName(index)));
        break;
    case Kind::Text:
    case Kind::Syntax:
    case Kind::Message:
        mime->setText(entry.text);
        break;
    }
    QGuiApplication::clipboard()->setMimeData(mime);
}

bool OutputViewer::FindText(const QString& text, bool backwards) {
    if (text.isEmpty()) {
        return false;
    }
    // Search everything appended, not only what has been shown so far.
    FlushItems();
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    const QTextDocument* document = txtView->document();
    QTextCursor found = document->find(text, txtView->textCursor(), flags);
    if (found.isNull()) {
        found = document->find(text, backwards ? document->characterCount() : 0, flags);
    }
    if (found.isNull()) {
        return false;
    }
    txtView->setTextCursor(found);
    return true;
}

void OutputViewer::Clear() {
    StopFresh();
    qDeleteAll(m_retired);
    m_retired.clear();
    m_insertTimer.stop();
    m_fitTimer.stop();
    std::deque<Pending>().swap(m_pending);
    m_pendingItems = 0;
    m_quiet = true;
    tvOutline->clear();
    m_runNode = nullptr;
    m_commandNode = nullptr;
    m_heldCommand.reset();
    m_lastNode = nullptr;
    std::deque<Entry>().swap(m_items);
    m_nextItem = 0;
    m_removed = 0;
    m_chartBytes = 0;
    lblDropped->hide();
    // Clearing the document drops its resources, the charts' images with them.
    txtView->document()->clear();
    m_chartWidth = 0;
    m_quiet = false;
#ifdef __GLIBC__
    // Thousands of small tables leave the heap in pieces; what is free goes back.
    ::malloc_trim(0);
#endif
}

void OutputViewer::SkipUnseen() {
    if (m_pendingItems <= m_maxItems) {
        return;
    }
    int skipped = 0;
    std::optional<Pending> run;
    std::optional<Pending> command;
    while (m_pendingItems > m_maxItems) {
        Pending& front = m_pending.front();
        if (IsCommand(front.item)) {
            command = std::move(front);
        } else if (front.item) {
            ++skipped;
            --m_pendingItems;
        } else {
            run = std::move(front);
            command.reset();
        }
        m_pending.pop_front();
    }
    // What is shown goes turn by turn as the newer items come in, as it would have anyway.
    m_nextItem += skipped;
    // The newest items skipped may share their headings with the oldest kept.
    const bool itemNext = m_pending.front().item && !IsCommand(m_pending.front().item);
    if (command && itemNext) {
        m_pending.push_front(std::move(*command));
    }
    if (run && m_pending.front().item) {
        m_pending.push_front(std::move(*run));
    }
    lblDropped->show();
}

} // namespace qs
