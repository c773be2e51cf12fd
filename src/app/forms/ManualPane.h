// The help pane docked beside the text: pages of the language's HTML manual, with its links
// followed inside the pane, back and forward, the start page, and a search in the page.
#pragma once

#include <QDockWidget>

class QLineEdit;
class QTextBrowser;

namespace qs {

class ManualPane : public QDockWidget {
    Q_OBJECT
public:
    explicit ManualPane(QWidget* parent = nullptr);

    // Shows a page of the manual; with `search`, its first place that holds that text is
    // selected.
    void ShowPage(const QString& file, const QString& search = QString());
    // Where the Contents button leads.
    void SetStartPage(const QString& file) { m_startPage = file; }
    // A message in place of a page (no manual installed).
    void ShowMessage(const QString& text);
    QString CurrentPage() const;
    QString SelectedText() const;
    QTextBrowser* Browser() const { return m_browser; }

private:
    void Find();

    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_search = nullptr;
    QString m_startPage;
};

} // namespace qs
