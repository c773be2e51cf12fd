// The replace dialog adds its line under the search line and the replacement history.
#include "app/find/dlgReplaceText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace qs {

TTextReplaceDialog::TTextReplaceDialog(QWidget* parent) : TTextSearchDialog(parent) {
    setObjectName("TextReplaceDialog");
    setWindowTitle("Replace text");
    lblReplaceText = new QLabel("&Replace with:");
    cbReplaceText = NewTextBox("cbReplaceText");
    lblReplaceText->setBuddy(cbReplaceText);
    TextGrid()->addWidget(lblReplaceText, 1, 0);
    TextGrid()->addWidget(cbReplaceText, 1, 1);
    setTabOrder(cbSearchText, cbReplaceText);
    setTabOrder(cbReplaceText, cbSearchCaseSensitive);
}

QString TTextReplaceDialog::ReplaceText() const {
    return cbReplaceText->currentText();
}

void TTextReplaceDialog::SetReplaceText(const QString& text) {
    cbReplaceText->setEditText(text);
}

QString TTextReplaceDialog::ReplaceTextHistory() const {
    return ReadHistory(*cbReplaceText);
}

void TTextReplaceDialog::SetReplaceTextHistory(const QString& history) {
    WriteHistory(*cbReplaceText, history);
}

void TTextReplaceDialog::FormCloseQuery() {
    TTextSearchDialog::FormCloseQuery();
    UpdateHistory(*cbReplaceText);
}

} // namespace qs
