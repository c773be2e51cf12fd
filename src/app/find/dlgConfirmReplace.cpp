// The confirm-replace dialog's controls and results.
#include "app/find/dlgConfirmReplace.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace qs {

TConfirmReplaceDialog::TConfirmReplaceDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName("ConfirmReplaceDialog");
    setWindowTitle("Confirm replace");

    auto* icon = new QLabel;
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    lblConfirmation = new QLabel;
    lblConfirmation->setObjectName("lblConfirmation");
    lblConfirmation->setWordWrap(true);
    lblConfirmation->setMinimumWidth(280);
    auto* question = new QHBoxLayout;
    question->addWidget(icon);
    question->addWidget(lblConfirmation, 1);

    const auto addButton = [this](const char* caption, const char* name, int result) {
        auto* button = new QPushButton(caption);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        return button;
    };
    btnReplace = addButton("&Yes", "btnReplace", mrYes);
    btnReplace->setDefault(true);
    btnSkip = addButton("&No", "btnSkip", mrNo);
    btnCancel = addButton("Cancel", "btnCancel", QDialog::Rejected);
    btnReplaceAll = addButton("Yes to &all", "btnReplaceAll", mrYesToAll);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {btnReplace, btnSkip, btnCancel, btnReplaceAll}) {
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(question);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TReplaceAnswer TConfirmReplaceDialog::Answer(int result) noexcept {
    switch (result) {
    case mrYes:
        return TReplaceAnswer::Yes;
    case mrNo:
        return TReplaceAnswer::No;
    case mrYesToAll:
        return TReplaceAnswer::YesToAll;
    default:
        return TReplaceAnswer::Cancel;
    }
}

} // namespace qs
