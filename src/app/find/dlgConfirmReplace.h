// The "Confirm replace" question for one match: Yes, No, Cancel or Yes to all.
#pragma once

#include "app/find/SearchReplace.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace qs {

class TConfirmReplaceDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog's results beside QDialog::Rejected (Cancel).
    enum { mrYes = 10, mrNo, mrYesToAll };

    explicit TConfirmReplaceDialog(QWidget* parent = nullptr);

    QLabel* lblConfirmation = nullptr; // word-wrapped, empty until a question is put
    QPushButton* btnReplace = nullptr;
    QPushButton* btnSkip = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnReplaceAll = nullptr;

    // The dialog's result as an answer to a replace confirmation.
    static TReplaceAnswer Answer(int result) noexcept;
};

} // namespace qs
