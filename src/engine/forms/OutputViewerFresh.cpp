// The output view lets go of its oldest items by building a fresh document of the newest in
// a second view, laid out as it grows, that then takes the shown one's place.
#include "engine/forms/OutputViewer.h"
#include "engine/forms/OutputViewerNodes.h"

#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>

namespace qs {

using namespace outline;

namespace {
// How much of a retired document goes at a time: a few tables.
constexpr int kRetireChars = 4096;
} // namespace

QTextDocument* OutputViewer::NewDocument() {
    // The viewer's own: a view lets go of a document it does not own without deleting it.
    auto* document = new QTextDocument(this);
    document->setUndoRedoEnabled(false);
    // PSPP writes its tables for its own style sheet, with header cells upright; it sets the
    // alignment of those that are not flush left.
    document->setDefaultStyleSheet(QStringLiteral("th { font-weight: normal; text-align: left; }"));
    return document;
}

QTextBrowser* OutputViewer::NewView() {
    auto* view = new QTextBrowser;
    view->setOpenLinks(false);
    view->setDocument(NewDocument());
    // A table cell breaks between words only: "Count" split in two reads as two words.
    view->setWordWrapMode(QTextOption::WordWrap);
    view->viewport()->installEventFilter(this);
    connect(view, &QTextBrowser::cursorPositionChanged, this, [this, view] {
        if (view == txtView) {
            SelectNodeAtCursor();
        }
    });
    connect(view, &QTextBrowser::anchorClicked, this, [this, view](const QUrl& url) {
        if (view == txtView) {
            OpenLink(url);
        }
    });
    // A reader at the end stays there when the window is resized or the content grows; one
    // who scrolled away stays where he is.
    QScrollBar* bar = view->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, view, bar](int value) {
        if (view == txtView) {
            m_atEnd = value >= bar->maximum();
        }
    });
    connect(bar, &QScrollBar::rangeChanged, this, [this, view, bar](int, int maximum) {
        if (view == txtView && m_atEnd) {
            bar->setValue(maximum);
        }
    });
    // Both views share one place; the one under is covered, yet laid out at the same width,
    // so that taking its place costs no layout.
    m_views->addWidget(view, 0, 0);
    return view;
}

void OutputViewer::StartFresh() {
    if (!m_fresh) {
        m_fresh = NewView();
        m_fresh->setFocusPolicy(Qt::NoFocus);
        txtView->raise();
    }
    const Entry& first = m_items[m_items.size() - static_cast<std::size_t>(m_maxItems)];
    QTreeWidgetItem* run = RunOf(first.node);
    QTreeWidgetItem* command = first.node->parent() != run ? first.node->parent() : nullptr;
    QTextCursor edit(m_fresh->document());
    edit.beginEditBlock();
    PutFresh(run);
    if (command) {
        PutFresh(command);
    }
    edit.endEditBlock();
    m_building = true;
    m_freshTurn = false;
    m_freshFirst = first.index;
    m_freshNext = first.node;
    m_freshLast = nullptr;
}

void OutputViewer::PutFresh(QTreeWidgetItem* node) {
    QTextDocument* document = m_fresh->document();
    const int index = node->data(0, kIndexRole).toInt();
    if (index < 0) {
        const Span span = PutHeading(document, node->data(0, kHeadingRole).toString(), !node->parent());
        node->setData(0, kFreshStartRole, span.start);
        node->setData(0, kFreshEndRole, span.end);
        return;
    }
    Entry* entry = EntryOf(index);
    const Span span = PutItem(document, entry->source, entry->image, index);
    entry->freshStart = span.start;
    entry->freshEnd = span.end;
}

bool OutputViewer::FreshCaughtUp() const {
    return m_building && !m_freshNext && m_freshLast && !NextInOutline(m_freshLast);
}

void OutputViewer::FreshStep(int budgetMs) {
    if (FreshCaughtUp()) {
        if (AtEnd()) {
            SwapInFresh();
        }
        return;
    }
    QElapsedTimer clock;
    clock.start();
    // One edit for the turn, as when inserting into the shown view.
    QTextCursor edit(m_fresh->document());
    edit.beginEditBlock();
    do {
        QTreeWidgetItem* node =
            m_freshNext ? std::exchange(m_freshNext, nullptr) : NextInOutline(m_freshLast);
        if (!node) {
            break;
        }
        PutFresh(node);
        m_freshLast = node;
    } while (clock.elapsed() < budgetMs);
    edit.endEditBlock();
}

void OutputViewer::SwapInFresh() {
    const auto kept = std::find_if(m_items.begin(), m_items.end(),
                                   [this](const Entry& e) { return e.index >= m_freshFirst; });
    ForgetOldest(static_cast<std::size_t>(kept - m_items.begin()));
    for (Entry& entry : m_items) {
        entry.start = entry.freshStart;
        entry.end = entry.freshEnd;
        entry.node->setData(0, kStartRole, entry.start);
        entry.node->setData(0, kEndRole, entry.end);
    }
    for (QTreeWidgetItem* node = tvOutline->topLevelItem(0); node; node = NextInOutline(node)) {
        if (node->data(0, kIndexRole).toInt() < 0) {
            node->setData(0, kStartRole, node->data(0, kFreshStartRole));
            node->setData(0, kEndRole, node->data(0, kFreshEndRole));
        }
    }
    m_removed = 0;
    const bool focused = txtView->hasFocus();
    std::swap(txtView, m_fresh);
    txtView->setFocusPolicy(m_fresh->focusPolicy());
    m_fresh->setFocusPolicy(Qt::NoFocus);
    txtView->raise();
    if (focused) {
        txtView->setFocus();
    }
    QScrollBar* bar = txtView->verticalScrollBar();
    bar->setValue(bar->maximum());
    m_building = false;
    m_freshNext = m_freshLast = nullptr;
    m_freshFirst = -1;
    // The old document goes, and with it every format it ever held; piece by piece, as
    // deleting it whole would hold up the window.
    m_retired.push_back(m_fresh->document());
    m_fresh->setDocument(NewDocument());
    lblDropped->show();
    m_chartWidth = 0; // the charts were fitted to the width when each was put
    FitCharts();
}

void OutputViewer::RetireStep(int budgetMs) {
    QElapsedTimer clock;
    clock.start();
    while (!m_retired.empty() && clock.elapsed() < budgetMs) {
        QTextDocument* document = m_retired.front();
        const int end = document->characterCount() - 1;
        if (end <= 0) {
            delete document;
            m_retired.pop_front();
            continue;
        }
        // From the end: nothing after the cut has to move.
        QTextCursor cut(document);
        cut.setPosition(std::max(0, end - kRetireChars));
        cut.setPosition(end, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }
}

void OutputViewer::StopFresh() {
    if (!m_building) {
        return;
    }
    m_building = false;
    m_freshNext = m_freshLast = nullptr;
    m_freshFirst = -1;
    m_fresh->document()->clear();
}

} // namespace qs
