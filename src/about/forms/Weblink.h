// A text label that opens a web address in the user's browser when clicked.
#pragma once

#include <QLabel>

#include <functional>

namespace qs {

enum TBrowserState { gwMaximized = 0, gwNormal = 1 };

class TWeblink : public QLabel {
    Q_OBJECT
public:
    // Opens an address; false when no browser could be started.
    using UrlOpener = std::function<bool(const QString& url, TBrowserState state)>;

    explicit TWeblink(QWidget* parent = nullptr);

    QString Url;
    TBrowserState BrowserState = gwMaximized;

    // Opens Url; raises EWeblink when that fails.
    void Click();
    // Replaces the way addresses are opened (tests).
    void SetUrlOpener(UrlOpener opener) { m_opener = std::move(opener); }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    UrlOpener m_opener;
};

} // namespace qs
