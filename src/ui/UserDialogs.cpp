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
        QMessageBox::warning(parent, QApplication::applicationName(), text);
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
