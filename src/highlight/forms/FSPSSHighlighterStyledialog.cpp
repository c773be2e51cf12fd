// The style dialog window: its controls and the handlers that edit the chosen attribute.
#include "highlight/forms/FSPSSHighlighterStyledialog.h"

#include "highlight/StyleCategories.h"
#include "highlight/SynHighlighterSPSS.h"
#include "ui/TColorGrid.h"
#include "ui/TSyntaxEditor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace qs {

TSyntaxColorDlg::TSyntaxColorDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    BuildControls();
}

TSyntaxColorDlg::~TSyntaxColorDlg() {
    DetachHighlighter();
}

void TSyntaxColorDlg::BuildControls() {
    setObjectName("SyntaxColorDlg");
    setWindowTitle("Syntax styler");
    setFixedSize(466, 375);
    setSizeGripEnabled(false);

    auto* categoryGroup = new QGroupBox("Category");
    lbCategory = new QListWidget;
    lbCategory->setObjectName("lbCategory");
    lbCategory->setSelectionMode(QAbstractItemView::SingleSelection);
    int widest = 0;
    for (const TStyleCategory& category : StyleCategories()) {
        lbCategory->addItem(category.caption);
        widest = std::max(widest, lbCategory->fontMetrics().horizontalAdvance(category.caption));
    }
    // Every caption whole and every category in sight, without scroll bars.
    lbCategory->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbCategory->setFixedWidth(widest + 2 * lbCategory->frameWidth() + 12);
    const auto groupLayout = [](QGroupBox* group) {
        auto* layout = new QVBoxLayout(group);
        layout->setContentsMargins(6, 4, 6, 6);
        return layout;
    };
    groupLayout(categoryGroup)->addWidget(lbCategory);

    auto* colorGroup = new QGroupBox("Color");
    SyntaxColorGrid = new TColorGrid;
    SyntaxColorGrid->setObjectName("SyntaxColorGrid");
    SyntaxColorGrid->setToolTip("Left button: foreground colour; right button: background");
    groupLayout(colorGroup)->addWidget(SyntaxColorGrid);

    auto* attributesGroup = new QGroupBox("Text Attributes");
    QVBoxLayout* attributes = groupLayout(attributesGroup);
    attributes->setSpacing(2);
    const auto makeBox = [](QCheckBox*& box, const char* caption, const char* name,
                            void (QFont::*setFontStyle)(bool)) {
        box = new QCheckBox(caption);
        box->setObjectName(name);
        QFont font = box->font();
        (font.*setFontStyle)(true); // each caption shows its own style
        box->setFont(font);
    };
    makeBox(chbBold, "Bold", "chbBold", &QFont::setBold);
    makeBox(chbItalic, "Italic", "chbItalic", &QFont::setItalic);
    makeBox(chbUnderline, "Underline", "chbUnderline", &QFont::setUnderline);
    makeBox(chbStrikeOut, "StrikeOut", "chbStrikeOut", &QFont::setStrikeOut);
    attributes->addWidget(new QLabel("Style"));
    attributes->addWidget(chbBold);
    attributes->addWidget(chbItalic);
    attributes->addSpacing(6);
    attributes->addWidget(new QLabel("Effect"));
    attributes->addWidget(chbUnderline);
    attributes->addWidget(chbStrikeOut);
    attributes->addStretch(1);

    auto* sampleLabel = new QLabel("Sample Code");
    edtSample = new TSyntaxEditor;
    edtSample->setObjectName("edtSample");
    edtSample->SetSampleView();
    sampleLabel->setBuddy(edtSample);

    btnSetDefault = new QPushButton("Set Default Settings");
    btnSetDefault->setObjectName("btnSetDefault");
    btnSetDefault->setAutoDefault(false);
    // Beside the light default, a dark one.
    btnSetDark = new QPushButton("Dark Default Settings");
    btnSetDark->setObjectName("btnSetDark");
    btnSetDark->setAutoDefault(false);
    btnOk = new QPushButton("OK");
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("Cancel");
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSetDefault);
    buttons->addWidget(btnSetDark);
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(categoryGroup);
    top->addWidget(colorGroup, 1);
    top->addWidget(attributesGroup);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(sampleLabel);
    layout->addWidget(edtSample, 1);
    layout->addLayout(buttons);

    // A category counts as chosen only once it is selected; the list's focus alone (which
    // marks an item as current) chooses none.
    connect(lbCategory, &QListWidget::itemSelectionChanged, this,
            &TSyntaxColorDlg::lbCategoryClick);
    connect(chbBold, &QCheckBox::clicked, this, &TSyntaxColorDlg::chbBoldClick);
    connect(chbItalic, &QCheckBox::clicked, this, &TSyntaxColorDlg::chbItalicClick);
    connect(chbUnderline, &QCheckBox::clicked, this, &TSyntaxColorDlg::chbUnderlineClick);
    connect(chbStrikeOut, &QCheckBox::clicked, this, &TSyntaxColorDlg::chbStrikeOutClick);
    connect(SyntaxColorGrid, &TColorGrid::MouseUp, this, &TSyntaxColorDlg::SyntaxColorGridMouseUp);
    connect(btnSetDefault, &QPushButton::clicked, this, &TSyntaxColorDlg::btnSetDefaultClick);
    connect(btnSetDark, &QPushButton::clicked, this, [this] {
        if (m_highlighter != nullptr) {
            ApplyDarkStyles(*m_highlighter);
            lbCategoryClick();
        }
    });
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TSyntaxColorDlg::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TSyntaxColorDlg::SetHighlighter(TSynSPSSHighlighter* highlighter) {
    if (highlighter == nullptr) {
        throw std::runtime_error(
            "Please specify a highlighter component to configure with the settings");
    }
    DetachHighlighter();
    m_highlighter = highlighter;
    edtSample->SetHighlighter(highlighter);
    edtSample->LoadText(TSynSPSSHighlighter::SampleSource());
    m_listener = highlighter->AddChangeListener([this] { edtSample->RefreshStyles(); });
    lbCategoryClick();
}

void TSyntaxColorDlg::DetachHighlighter() {
    if (m_highlighter != nullptr) {
        m_highlighter->RemoveChangeListener(m_listener);
        edtSample->SetHighlighter(nullptr);
        m_highlighter = nullptr;
    }
}

TSynHighlighterAttributes* TSyntaxColorDlg::SelectedAttribute() const {
    if (m_highlighter == nullptr) {
        return nullptr;
    }
    const QList<QListWidgetItem*> selected = lbCategory->selectedItems();
    return selected.isEmpty() ? nullptr
                              : CategoryAttribute(*m_highlighter, lbCategory->row(selected[0]));
}

void TSyntaxColorDlg::lbCategoryClick() {
    TSynHighlighterAttributes* attribute = SelectedAttribute();
    if (attribute == nullptr) {
        return;
    }
    const TFontStyles style = attribute->Style();
    chbBold->setChecked(style & fsBold);
    chbItalic->setChecked(style & fsItalic);
    chbUnderline->setChecked(style & fsUnderline);
    chbStrikeOut->setChecked(style & fsStrikeOut);
    SyntaxColorGrid->SetForegroundColor(attribute->Foreground());
    SyntaxColorGrid->SetBackgroundColor(attribute->Background());
}

void TSyntaxColorDlg::StyleBoxClicked(QCheckBox* box, TFontStyles bit) {
    if (TSynHighlighterAttributes* attribute = SelectedAttribute()) {
        SetStyleBit(*attribute, bit, box->isChecked());
    }
}

void TSyntaxColorDlg::chbBoldClick() {
    StyleBoxClicked(chbBold, fsBold);
}

void TSyntaxColorDlg::chbItalicClick() {
    StyleBoxClicked(chbItalic, fsItalic);
}

void TSyntaxColorDlg::chbUnderlineClick() {
    StyleBoxClicked(chbUnderline, fsUnderline);
}

void TSyntaxColorDlg::chbStrikeOutClick() {
    StyleBoxClicked(chbStrikeOut, fsStrikeOut);
}

void TSyntaxColorDlg::SyntaxColorGridMouseUp(Qt::MouseButton button) {
    TSynHighlighterAttributes* attribute = SelectedAttribute();
    if (attribute == nullptr) {
        return;
    }
    // A grid without the mark (the colour was none of the 16 and no cell was picked since)
    // has no colour to give.
    if (button == Qt::LeftButton) {
        if (SyntaxColorGrid->ForegroundIndex() >= 0) {
            attribute->SetForeground(SyntaxColorGrid->ForegroundColor());
        }
    } else if (SyntaxColorGrid->BackgroundIndex() >= 0) {
        attribute->SetBackground(SyntaxColorGrid->BackgroundColor());
    }
}

void TSyntaxColorDlg::btnSetDefaultClick() {
    if (m_highlighter == nullptr) {
        return;
    }
    ApplyDefaultStyles(*m_highlighter);
    lbCategoryClick();
}

} // namespace qs
