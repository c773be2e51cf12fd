#include "ui/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace qs::ui {

namespace {

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
        return Ask(parent, QMessageBox::Question, "Confirm", text,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    bool InformationOkCancel(QWidget* parent, const QString& text) override {
        return Ask(parent, QMessageBox::Information, "Information", text,
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }
    bool InformationYesNo(QWidget* parent, const QString& text) override {
        return Ask(parent, QMessageBox::Information, "Information", text,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
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
