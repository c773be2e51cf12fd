// The "Replace text" dialog: the search dialog with a replacement text and its history.
#pragma once

#include "app/find/dlgSearchText.h"

namespace qs {

class TTextReplaceDialog : public TTextSearchDialog {
    Q_OBJECT
public:
    explicit TTextReplaceDialog(QWidget* parent = nullptr);

    QLabel* lblReplaceText = nullptr;
    QComboBox* cbReplaceText = nullptr;

    QString ReplaceText() const;
    void SetReplaceText(const QString& text);
    QString ReplaceTextHistory() const;
    void SetReplaceTextHistory(const QString& history);

protected:
    void FormCloseQuery() override;
};

} // namespace qs
