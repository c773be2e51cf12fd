// The real message boxes: a Yes/No question ends only by Yes or No.
#include "ui/UserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace qs {
namespace {

struct QuestionRow {
    const char* name;
    std::function<bool()> ask;
    bool escapeEnds; // OK/Cancel boxes keep Esc as Cancel
};
void PrintTo(const QuestionRow& row, std::ostream* os) {
    *os << row.name;
}

class RealQuestion : public ::testing::TestWithParam<QuestionRow> {};

TEST_P(RealQuestion, EscAndTheCloseBoxDoNotAnswerAYesNoQuestion) {
    bool stillShown = false;
    int tries = 0;
    std::function<void()> poke = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (++tries < 100) {
                QTimer::singleShot(10, poke);
            }
            return;
        }
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &esc);
        if (!box->isVisible()) {
            return; // Esc answered
        }
        box->close();
        stillShown = box->isVisible();
        for (QAbstractButton* button : box->buttons()) {
            if (box->standardButton(button) == QMessageBox::Yes) {
                button->click();
            }
        }
    };
    QTimer::singleShot(0, poke);
    const bool answer = GetParam().ask();
    if (GetParam().escapeEnds) {
        EXPECT_FALSE(answer);
        EXPECT_FALSE(stillShown);
    } else {
        EXPECT_TRUE(stillShown);
        EXPECT_TRUE(answer);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, RealQuestion,
    ::testing::Values(
        QuestionRow{"Confirm", [] { return ui::Dialogs().Confirm(nullptr, "Save?"); }, false},
        QuestionRow{"InformationYesNo",
                    [] { return ui::Dialogs().InformationYesNo(nullptr, "Run?"); }, false},
        QuestionRow{"WarningYesNo", [] { return ui::Dialogs().WarningYesNo(nullptr, "Over?"); },
                    false},
        QuestionRow{"InformationOkCancel",
                    [] { return ui::Dialogs().InformationOkCancel(nullptr, "Replace?"); }, true}),
    [](const testing::TestParamInfo<QuestionRow>& row) { return std::string(row.param.name); });

TEST(RealMessage, InformationHasTheInformationCaptionIconAndOnlyOk) {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            buttons << box->standardButton(button);
        }
        box->done(QMessageBox::Ok);
    });
    ui::Dialogs().Information(nullptr, "Imported.");
    EXPECT_EQ(caption, "Information");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

} // namespace
} // namespace qs
