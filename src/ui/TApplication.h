// The application object of the window modes: the one place where an error that escapes
// a command is caught and shown, and where a silent abort ends a command quietly.
#pragma once

#include "spss/EAbort.h"

#include <QApplication>

namespace qs::ui {

// Ends the current user command without any message.
using EAbort = qs::EAbort;

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace qs::ui
