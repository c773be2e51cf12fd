// The "Go to line" dialog: a line number of the document, checked before the dialog closes
// so that a wrong entry can be corrected in place.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace qs {

class TGotoLineDialog : public QDialog {
    Q_OBJECT
public:
    // Offers the line the caret is on; accepts 1 to lineCount.
    TGotoLineDialog(QWidget* parent, long currentLine, long lineCount);

    // The chosen line, from 1; meaningful once the dialog was accepted.
    long Line() const { return m_line; }

    QLineEdit* edtLine = nullptr;
    QLabel* lblMessage = nullptr;

    void accept() override;

private:
    long m_lineCount;
    long m_line = 0;
};

} // namespace qs
