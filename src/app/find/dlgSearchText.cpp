// The search dialog's controls, accessors and history update.
#include "app/find/dlgSearchText.h"

#include "app/find/FindState.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qs {
namespace {

QCheckBox* NewCheckBox(const char* caption, const char* name) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    return box;
}

} // namespace

TTextSearchDialog::TTextSearchDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName("TextSearchDialog");
    setWindowTitle("Search Text");

    lblSearchText = new QLabel("&Search for:");
    cbSearchText = NewTextBox("cbSearchText");
    lblSearchText->setBuddy(cbSearchText);
    m_textGrid = new QGridLayout;
    m_textGrid->addWidget(lblSearchText, 0, 0);
    m_textGrid->addWidget(cbSearchText, 0, 1);
    m_textGrid->setColumnStretch(1, 1);

    gbSearchOptions = new QGroupBox("Options");
    gbSearchOptions->setObjectName("gbSearchOptions");
    cbSearchCaseSensitive = NewCheckBox("C&ase sensitivity", "cbSearchCaseSensitive");
    cbSearchWholeWords = NewCheckBox("&Whole words only", "cbSearchWholeWords");
    cbSearchFromCursor = NewCheckBox("Search from &caret", "cbSearchFromCursor");
    cbSearchSelectedOnly = NewCheckBox("&Selected text only", "cbSearchSelectedOnly");
    auto* options = new QVBoxLayout(gbSearchOptions);
    for (QCheckBox* box :
         {cbSearchCaseSensitive, cbSearchWholeWords, cbSearchFromCursor, cbSearchSelectedOnly}) {
        options->addWidget(box);
    }

    rgSearchDirection = new QGroupBox("Direction");
    rgSearchDirection->setObjectName("rgSearchDirection");
    rbForward = new QRadioButton("&Forward");
    rbForward->setObjectName("rbForward");
    rbBackward = new QRadioButton("&Backward");
    rbBackward->setObjectName("rbBackward");
    m_direction = new QButtonGroup(this);
    m_direction->addButton(rbForward, 0);
    m_direction->addButton(rbBackward, 1);
    rbForward->setChecked(true);
    auto* direction = new QVBoxLayout(rgSearchDirection);
    direction->addWidget(rbForward);
    direction->addWidget(rbBackward);
    direction->addStretch(1);

    auto* groups = new QHBoxLayout;
    groups->addWidget(gbSearchOptions, 3);
    groups->addWidget(rgSearchDirection, 2);

    btnOK = new QPushButton("OK");
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton("Cancel");
    btnCancel->setObjectName("btnCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_textGrid);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    // A fixed border: the dialog keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(cbSearchText, cbSearchCaseSensitive);
    setTabOrder(cbSearchCaseSensitive, cbSearchWholeWords);
    setTabOrder(cbSearchWholeWords, cbSearchFromCursor);
    setTabOrder(cbSearchFromCursor, cbSearchSelectedOnly);
    setTabOrder(cbSearchSelectedOnly, rbForward);
    setTabOrder(rbForward, rbBackward);
    setTabOrder(rbBackward, btnOK);
    setTabOrder(btnOK, btnCancel);
    cbSearchText->setFocus();
}

QComboBox* TTextSearchDialog::NewTextBox(const char* name) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->setEditable(true);
    // The history is kept by FormCloseQuery, not by Enter in the field.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(240);
    return box;
}

QString TTextSearchDialog::SearchText() const {
    return cbSearchText->currentText();
}

void TTextSearchDialog::SetSearchText(const QString& text) {
    cbSearchText->setEditText(text);
}

QString TTextSearchDialog::SearchTextHistory() const {
    return ReadHistory(*cbSearchText);
}

void TTextSearchDialog::SetSearchTextHistory(const QString& history) {
    WriteHistory(*cbSearchText, history);
}

bool TTextSearchDialog::SearchBackwards() const {
    return m_direction->checkedId() == 1;
}

void TTextSearchDialog::SetSearchBackwards(bool backwards) {
    (backwards ? rbBackward : rbForward)->setChecked(true);
}

bool TTextSearchDialog::SearchCaseSensitive() const {
    return cbSearchCaseSensitive->isChecked();
}

void TTextSearchDialog::SetSearchCaseSensitive(bool value) {
    cbSearchCaseSensitive->setChecked(value);
}

bool TTextSearchDialog::SearchWholeWords() const {
    return cbSearchWholeWords->isChecked();
}

void TTextSearchDialog::SetSearchWholeWords(bool value) {
    cbSearchWholeWords->setChecked(value);
}

bool TTextSearchDialog::SearchFromCursor() const {
    return cbSearchFromCursor->isChecked();
}

void TTextSearchDialog::SetSearchFromCursor(bool value) {
    cbSearchFromCursor->setChecked(value);
}

bool TTextSearchDialog::SearchInSelectionOnly() const {
    return cbSearchSelectedOnly->isChecked();
}

void TTextSearchDialog::SetSearchInSelectionOnly(bool value) {
    cbSearchSelectedOnly->setChecked(value);
}

void TTextSearchDialog::done(int result) {
    if (result == QDialog::Accepted) {
        FormCloseQuery();
    }
    QDialog::done(result);
}

void TTextSearchDialog::FormCloseQuery() {
    UpdateHistory(*cbSearchText);
}

QString TTextSearchDialog::ReadHistory(const QComboBox& box) {
    std::vector<std::string> items;
    for (int i = 0; i < box.count() && items.size() < kHistoryLimit; ++i) {
        items.push_back(box.itemText(i).toStdString());
    }
    return QString::fromStdString(JoinHistory(items));
}

void TTextSearchDialog::WriteHistory(QComboBox& box, const QString& history) {
    // Filling the items must not replace the text being searched for.
    const QString text = box.currentText();
    box.clear();
    for (const std::string& item : SplitHistory(history.toStdString())) {
        box.addItem(QString::fromStdString(item));
    }
    box.setEditText(text);
}

void TTextSearchDialog::UpdateHistory(QComboBox& box) {
    const QString text = box.currentText();
    if (text.isEmpty()) {
        return;
    }
    const int index = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        box.removeItem(index);
    }
    box.insertItem(0, text);
    box.setEditText(text);
}

} // namespace qs
