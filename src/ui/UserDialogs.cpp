#include "ui/UserDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>

namespace qs::ui {

namespace {

// A question that only Yes or No ends: Esc and closing the box would otherwise answer
// No, and a No that drops unsaved text must never come from a stray key.
class YesNoBox final : public QMessageBox {
public:
    YesNoBox(Icon icon, const QString& caption, const QString& text, QWidget* parent)
        : QMessageBox(icon, caption, text, Yes | No, parent) {}
    void reject() override {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->matches(QKeySequence::Cancel)) {
            e->accept();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        // Only the buttons close it; they hide the box without a close event.
        e->ignore();
    }
};

bool AskYesNo(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
              const QString& text) {
    YesNoBox box(icon, caption, text, parent);
    return box.exec() == QMessageBox::Yes;
}

class QtDialogs final : public UserDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                        parent);
        box.exec();
    }
    void Warning(QWidget* parent, const QString& text) override {
        QMessageBox::warning(parent, "Warning", text);
    }
    bool Confirm(QWidget* parent, const QString& text) override {
        return AskYesNo(parent, QMessageBox::Question, "Confirm", text);
    }
    bool WarningYesNo(QWidget* parent, const QString& text) override {
        return AskYesNo(parent, QMessageBox::Warning, "Warning", text);
    }
    void Information(QWidget* parent, const QString& text) override {
        QMessageBox::information(parent, "Information", text);
    }
    bool InformationOkCancel(QWidget* parent, const QString& text) override {
        return Ask(parent, QMessageBox::Information, "Information", text,
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }
    bool InformationYesNo(QWidget* parent, const QString& text) override {
        return AskYesNo(parent, QMessageBox::Information, "Information", text);
    }
    void Error(QWidget* parent, const QString& text) override {
        QMessageBox::critical(parent, QApplication::applicationName(), text);
    }
    std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                        const QString& startFolder) override {
        const QString folder = QFileDialog::getExistingDirectory(parent, title, startFolder);
        return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
    }
    std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& title,
                                          const QString& folder, const QString& filter) override {
        const QString file = QFileDialog::getOpenFileName(parent, title, folder, filter);
        return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
    }
    std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& title,
                                          const QString& folder, const QString& filter) override {
        const QString file = QFileDialog::getSaveFileName(parent, title, folder, filter, nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
    }

private:
    static int Ask(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                   const QString& text, QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, caption, text, buttons, parent);
        return box.exec();
    }
};

UserDialogs* g_installed = nullptr;

} // namespace

UserDialogs& Dialogs() {
    static QtDialogs real;
    return g_installed != nullptr ? *g_installed : real;
}

void SetDialogs(UserDialogs* dialogs) {
    g_installed = dialogs;
}

} // namespace qs::ui
