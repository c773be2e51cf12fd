#include "app/forms/dlgGotoLine.h"

#include "app/EditorPosition.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qs {

TGotoLineDialog::TGotoLineDialog(QWidget* parent, long currentLine, long lineCount)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_lineCount(lineCount) {
    setObjectName("GotoLineDialog");
    setWindowTitle("Go to line");
    auto* label = new QLabel(QString("&Line number (1 - %1):").arg(lineCount));
    edtLine = new QLineEdit(QString::number(currentLine));
    edtLine->setObjectName("edtLine");
    edtLine->selectAll();
    label->setBuddy(edtLine);
    lblMessage = new QLabel;
    lblMessage->setObjectName("lblMessage");
    lblMessage->setWordWrap(true);
    lblMessage->setStyleSheet("color: #b00000");
    lblMessage->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A message about an earlier entry goes as soon as the entry changes.
    connect(edtLine, &QLineEdit::textEdited, lblMessage, &QLabel::hide);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edtLine);
    layout->addWidget(lblMessage);
    layout->addWidget(buttons);
    // The dialog grows to show a message and keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edtLine->setMinimumWidth(240);
}

void TGotoLineDialog::accept() {
    const LineNumberInput input = ParseLineNumber(edtLine->text().toStdString(), m_lineCount);
    if (!input.error.empty()) {
        lblMessage->setText(QString::fromStdString(input.error));
        lblMessage->show();
        edtLine->selectAll();
        edtLine->setFocus();
        return;
    }
    m_line = input.line;
    QDialog::accept();
}

} // namespace qs
