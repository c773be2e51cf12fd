// The application object of the window modes: the one place where an error that escapes
// a command is caught and shown, and where a silent abort ends a command quietly.
#pragma once

#include <QApplication>

#include <stdexcept>

namespace qs::ui {

// Ends the current user command without any message.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace qs::ui
