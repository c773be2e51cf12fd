// The style dialog window: a category list, the colour grid, the four font style boxes and
// a sample editor that shows every change to the highlighter it edits at once.
#pragma once

#include "highlight/SynHighlighterAttributes.h"

#include <QDialog>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace qs {

class TColorGrid;
class TSynSPSSHighlighter;
class TSyntaxEditor;

class TSyntaxColorDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSyntaxColorDlg(QWidget* parent = nullptr);
    ~TSyntaxColorDlg() override;

    // The highlighter the dialog edits (not owned) and the sample editor shows; it must
    // outlive the dialog. Raises an error when none is given.
    void SetHighlighter(TSynSPSSHighlighter* highlighter);
    TSynSPSSHighlighter* Highlighter() const { return m_highlighter; }
    // The attribute of the chosen category; nullptr while none is chosen.
    TSynHighlighterAttributes* SelectedAttribute() const;

    QListWidget* lbCategory = nullptr;
    TColorGrid* SyntaxColorGrid = nullptr;
    QCheckBox* chbBold = nullptr;
    QCheckBox* chbItalic = nullptr;
    QCheckBox* chbUnderline = nullptr;
    QCheckBox* chbStrikeOut = nullptr;
    TSyntaxEditor* edtSample = nullptr;
    QPushButton* btnSetDefault = nullptr;
    QPushButton* btnSetDark = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    void lbCategoryClick();
    void chbBoldClick();
    void chbItalicClick();
    void chbUnderlineClick();
    void chbStrikeOutClick();
    void SyntaxColorGridMouseUp(Qt::MouseButton button);
    void btnSetDefaultClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void StyleBoxClicked(QCheckBox* box, TFontStyles bit);
    void DetachHighlighter();

    TSynSPSSHighlighter* m_highlighter = nullptr;
    int m_listener = 0; // the sample editor's redraw on every change of the highlighter
};

} // namespace qs
