// The manual pane: a text browser under a bar of Back, Forward, Contents and a search.
#include "app/forms/ManualPane.h"

#include <QAction>
#include <QLineEdit>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace qs {

ManualPane::ManualPane(QWidget* parent) : QDockWidget("Manual", parent) {
    setObjectName("ManualPane");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(body);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_browser = new QTextBrowser(body);
    m_browser->setObjectName("ManualBrowser");
    // Pages of the manual open here; links that leave it open in the desktop's browser.
    m_browser->setOpenExternalLinks(true);
    QAction* back = bar->addAction("Back", m_browser, &QTextBrowser::backward);
    QAction* forward = bar->addAction("Forward", m_browser, &QTextBrowser::forward);
    back->setObjectName("actManualBack");
    forward->setObjectName("actManualForward");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    bar->addAction("Contents", this, [this] {
        if (!m_startPage.isEmpty()) {
            ShowPage(m_startPage);
        }
    });
    m_search = new QLineEdit(bar);
    m_search->setObjectName("edtManualSearch");
    m_search->setPlaceholderText("Find in page");
    m_search->setClearButtonEnabled(true);
    bar->addWidget(m_search);
    connect(m_search, &QLineEdit::returnPressed, this, &ManualPane::Find);
    layout->addWidget(bar);
    layout->addWidget(m_browser);
    setWidget(body);
}

void ManualPane::ShowPage(const QString& file, const QString& search) {
    const QUrl url = QUrl::fromLocalFile(file);
    if (m_browser->source() == url) {
        m_browser->reload();
    } else {
        m_browser->setSource(url);
    }
    m_search->setText(search);
    if (!search.isEmpty()) {
        Find();
    }
    show();
    raise();
}

void ManualPane::ShowMessage(const QString& text) {
    m_browser->setPlainText(text);
    m_search->clear();
    show();
    raise();
}

QString ManualPane::CurrentPage() const {
    return m_browser->source().toLocalFile();
}

QString ManualPane::SelectedText() const {
    return m_browser->textCursor().selectedText();
}

void ManualPane::Find() {
    const QString text = m_search->text();
    if (text.isEmpty()) {
        return;
    }
    // From the selection on, and round to the top once.
    if (!m_browser->find(text)) {
        m_browser->moveCursor(QTextCursor::Start);
        m_browser->find(text);
    }
}

} // namespace qs
