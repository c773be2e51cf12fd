// Every modal question and message the windows show goes through this interface, so that
// tests can answer them instead of a person.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace qs::ui {

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A message box without an icon, captioned with the application's title.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // Captioned "Warning", OK button.
    virtual void Warning(QWidget* parent, const QString& text) = 0;
    // Every Yes/No question waits for Yes or No: Esc and closing the box do nothing.
    // Captioned "Confirm", Yes and No; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // Captioned "Warning", Yes and No; true for Yes.
    virtual bool WarningYesNo(QWidget* parent, const QString& text) = 0;
    // Captioned "Information", OK button.
    virtual void Information(QWidget* parent, const QString& text) = 0;
    // Captioned "Information"; true for OK (or Yes).
    virtual bool InformationOkCancel(QWidget* parent, const QString& text) = 0;
    virtual bool InformationYesNo(QWidget* parent, const QString& text) = 0;
    // The framework's box for an error that reached the event loop.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                                const QString& startFolder) = 0;
    virtual std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& title,
                                                  const QString& folder, const QString& filter) = 0;
    // Never asks before overwriting: the caller decided that already.
    virtual std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& title,
                                                  const QString& folder, const QString& filter) = 0;
};

// The dialogs in use: real ones unless a test installed others.
UserDialogs& Dialogs();
// Installs `dialogs` (not owned) in place of the real ones; nullptr restores them.
void SetDialogs(UserDialogs* dialogs);

} // namespace qs::ui
