// The "Search Text" dialog: the search text with its history, the search options and the
// direction. The replace dialog derives from it.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace qs {

class TTextSearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit TTextSearchDialog(QWidget* parent = nullptr);

    QLabel* lblSearchText = nullptr;
    QComboBox* cbSearchText = nullptr;
    QGroupBox* gbSearchOptions = nullptr;
    QCheckBox* cbSearchCaseSensitive = nullptr;
    QCheckBox* cbSearchWholeWords = nullptr;
    QCheckBox* cbSearchFromCursor = nullptr;
    QCheckBox* cbSearchSelectedOnly = nullptr;
    QGroupBox* rgSearchDirection = nullptr;
    QRadioButton* rbForward = nullptr;  // item 0
    QRadioButton* rbBackward = nullptr; // item 1
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    QString SearchText() const;
    void SetSearchText(const QString& text);
    // The first 10 items joined by CR LF; written by splitting at line breaks.
    QString SearchTextHistory() const;
    void SetSearchTextHistory(const QString& history);
    bool SearchBackwards() const;
    void SetSearchBackwards(bool backwards);
    bool SearchCaseSensitive() const;
    void SetSearchCaseSensitive(bool value);
    bool SearchWholeWords() const;
    void SetSearchWholeWords(bool value);
    bool SearchFromCursor() const;
    void SetSearchFromCursor(bool value);
    bool SearchInSelectionOnly() const;
    void SetSearchInSelectionOnly(bool value);

    // Closing with OK updates the histories first.
    void done(int result) override;

protected:
    // Called by a derived dialog's constructor to put its own text line under the search.
    QGridLayout* TextGrid() const { return m_textGrid; }
    virtual void FormCloseQuery();

    static QString ReadHistory(const QComboBox& box);
    static void WriteHistory(QComboBox& box, const QString& history);
    // Puts the box's text at the top of its items, without a duplicate.
    static void UpdateHistory(QComboBox& box);
    static QComboBox* NewTextBox(const char* name);

private:
    QGridLayout* m_textGrid = nullptr;
    QButtonGroup* m_direction = nullptr;
};

} // namespace qs
