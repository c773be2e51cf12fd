#include "ui/TApplication.h"

#include "ui/UserDialogs.h"

namespace qs::ui {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Quillstone");
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        Dialogs().Error(activeWindow(), QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace qs::ui
