#include "about/forms/Weblink.h"

#include "about/BrowserCommand.h"
#include "ui/UserDialogs.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#ifdef _WIN32
#include "platform/registry/Registry.h"
#include "platform/shell/ShellExecute.h"
#endif

namespace qs {

namespace {

#ifdef _WIN32
// The browser that the file associations name for web pages, started as they say.
bool OpenWithAssociatedBrowser(const QString& url, TBrowserState state) {
    TRegistry registry;
    const ShellShow show = state == gwMaximized ? ShellShow::Maximized
                           : state == gwNormal  ? ShellShow::Normal
                                                : ShellShow::Hidden;
    OpenInBrowser(url.toStdString(), FindBrowserCommandLine(registry),
                  [show](const std::string& program, const std::string& parameters) {
                      return ShellExecuteProgram(program, parameters, show);
                  });
    return true;
}
#else
// The desktop's default browser decides how its window is shown.
bool OpenWithDesktopBrowser(const QString& url, TBrowserState) {
    return QDesktopServices::openUrl(QUrl(url));
}
#endif

} // namespace

TWeblink::TWeblink(QWidget* parent) : QLabel(parent) {
#ifdef _WIN32
    m_opener = OpenWithAssociatedBrowser;
#else
    m_opener = OpenWithDesktopBrowser;
#endif
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(pal);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
}

void TWeblink::Click() {
    if (!m_opener(Url, BrowserState)) {
        throw EWeblink("Weblink error\rFailed to launch the internet browser");
    }
}

void TWeblink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
        return;
    }
    // The error box of the event loop, shown here: an exception must not cross Qt.
    try {
        Click();
    } catch (const EWeblink& e) {
        ui::Dialogs().Error(window(), QString::fromLocal8Bit(e.what()));
    }
}

} // namespace qs
