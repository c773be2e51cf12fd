// Answers the windows' questions in tests and records what they said.
#pragma once

#include "ui/UserDialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace qs::test {

class ScriptedDialogs final : public ui::UserDialogs {
public:
    ScriptedDialogs() { ui::SetDialogs(this); }
    ~ScriptedDialogs() override { ui::SetDialogs(nullptr); }

    QStringList messages; // "kind: text" in the order shown
    QStringList titles;   // the titles the pickers were opened with
    QStringList startFolders;
    std::deque<QString> answers; // for the pickers in turn; an empty text (or none left) cancels
    std::deque<bool> replies;    // for the questions in turn; none left answers No / Cancel
    std::function<void()> whileShown; // runs while any message or question "is shown"

    void ShowMessage(QWidget*, const QString& text) override { Show("message: " + text); }
    void Warning(QWidget*, const QString& text) override { Show("warning: " + text); }
    void Error(QWidget*, const QString& text) override { Show("error: " + text); }
    bool Confirm(QWidget*, const QString& text) override { return Reply("confirm: " + text); }
    bool WarningYesNo(QWidget*, const QString& text) override {
        return Reply("warning: " + text);
    }
    void Information(QWidget*, const QString& text) override { Show("information: " + text); }
    bool InformationOkCancel(QWidget*, const QString& text) override {
        return Reply("information: " + text);
    }
    bool InformationYesNo(QWidget*, const QString& text) override {
        return Reply("information: " + text);
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString& title,
                                        const QString& startFolder) override {
        return Next(title, startFolder);
    }
    std::optional<QString> ChooseOpenFile(QWidget*, const QString& title, const QString& folder,
                                          const QString&) override {
        return Next(title, folder);
    }
    std::optional<QString> ChooseSaveFile(QWidget*, const QString& title, const QString& folder,
                                          const QString&) override {
        return Next(title, folder);
    }

private:
    void Show(const QString& message) {
        messages << message;
        if (whileShown) {
            whileShown();
        }
    }
    bool Reply(const QString& message) {
        Show(message);
        if (replies.empty()) {
            return false;
        }
        const bool reply = replies.front();
        replies.pop_front();
        return reply;
    }
    std::optional<QString> Next(const QString& title, const QString& folder) {
        titles << title;
        startFolders << folder;
        if (answers.empty()) {
            return std::nullopt;
        }
        const QString answer = answers.front();
        answers.pop_front();
        if (answer.isEmpty()) {
            return std::nullopt;
        }
        return answer;
    }
};

} // namespace qs::test
