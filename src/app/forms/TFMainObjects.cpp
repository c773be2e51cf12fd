// The tree of data file objects beside the editor: its build from a data file's
// dictionary, and putting the selected names into the text by double click or drag.
#include "app/forms/ObjectTreeDelegate.h"
#include "app/forms/TFMain.h"
#include "datafile/DictPrinter.h"
#include "datafile/TSPSSVL.h"
#include "highlight/SynHighlighterSPSS.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qs {

namespace {

// Value labels a tooltip lists before it counts the rest.
constexpr std::size_t kTipValueLabels = 12;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A variable or set: its name is the cell's text (what insertion takes), its label is
// drawn beside it, its tooltip is named by number (-1: none).
QTreeWidgetItem* AddObject(std::string_view name, std::string_view label, int tip) {
    auto* item = new QTreeWidgetItem(QStringList{FromUtf8(name)});
    if (!label.empty()) {
        item->setData(0, ObjectTreeDelegate::kLabelRole, FromUtf8(label));
    }
    if (tip >= 0) {
        item->setData(0, ObjectTreeDelegate::kTipRole, tip);
    }
    return item;
}

QTreeWidgetItem* AddTopLevel(QTreeWidget* tree, const QString& text) {
    auto* item = new QTreeWidgetItem(tree, QStringList{text});
    // White on teal marks the two groups.
    item->setBackground(0, QColor(0, 128, 128));
    item->setForeground(0, QColor(255, 255, 255));
    return item;
}

} // namespace

void TFMain::LoadObjectTree(const std::string& path) {
    std::vector<std::string> names;
    std::vector<std::string> variableNames;
    std::vector<std::string> setNames;
    std::vector<std::string> tips;
    m_objectFilter.Clear();
    m_objectItems.clear();
    qDeleteAll(m_filteredOut->takeChildren());
    tlObjectTree->clear();
    QTreeWidgetItem* variables = AddTopLevel(tlObjectTree, "Variables");
    if (!path.empty()) {
        try {
            SPSSDatafile->SetFilename(path);
            SPSSDatafile->Open();
        } catch (...) {
            // One bad file must not leave the reader open and make every later load fail.
            SPSSDatafile->Close();
            throw;
        }
        QList<QTreeWidgetItem*> children;
        for (const auto& variable : SPSSDatafile->Variables()) {
            children.append(AddObject(variable->Name, variable->Label,
                                      static_cast<int>(tips.size())));
            tips.push_back(VariableSummary(*variable, kTipValueLabels));
            m_objectFilter.Add(variable->Name, variable->Label);
            variableNames.push_back(variable->Name);
        }
        variables->addChildren(children);
        m_objectItems.assign(children.begin(), children.end());
        m_variableObjects = m_objectItems.size();
        variables->setExpanded(true);
        if (SPSSDatafile->MRSets().Count() > 0) {
            QTreeWidgetItem* sets = AddTopLevel(tlObjectTree, "Sets");
            for (const auto& set : SPSSDatafile->MRSets()) {
                m_objectItems.push_back(AddObject(set->Name, set->Label, -1));
                sets->addChild(m_objectItems.back());
                m_objectFilter.Add(set->Name, set->Label);
                setNames.push_back(set->Name);
            }
            sets->setExpanded(true);
        }
        SPSSDatafile->Close();
        names = variableNames;
        names.insert(names.end(), setNames.begin(), setNames.end());
        // Refreshes mostly find the same names: restyling a large text for nothing is
        // what a user would feel.
        if (names != m_highlighter->Variables()) {
            m_highlighter->SetVariables(names);
            SynEdit->Restyle();
        }
    }
    m_objectDelegate->SetTips(std::move(tips));
    SynEdit->SetCompletionNames(variableNames, setNames);
    m_objectShown.assign(m_objectFilter.Count(), 1);
    ApplyObjectFilter();
    UpdateCommandStates();
}

QWidget* TFMain::CreateObjectPanel() {
    m_objectDelegate = new ObjectTreeDelegate(tlObjectTree);
    tlObjectTree->setItemDelegate(m_objectDelegate);
    // All rows are one line high: the view then lays out tens of thousands of them at once.
    tlObjectTree->setUniformRowHeights(true);
    m_filteredOut = std::make_unique<QTreeWidgetItem>();
    edtObjectFilter = new QLineEdit;
    edtObjectFilter->setObjectName("edtObjectFilter");
    edtObjectFilter->setPlaceholderText("Filter");
    edtObjectFilter->setClearButtonEnabled(true);
    edtObjectFilter->setToolTip("Shows the variables and sets whose name or label holds this text");
    connect(edtObjectFilter, &QLineEdit::textChanged, this, [this] { ApplyObjectFilter(); });
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edtObjectFilter);
    layout->addWidget(tlObjectTree);
    return panel;
}

void TFMain::ApplyObjectFilter() {
    const std::vector<std::uint8_t> keep =
        m_objectFilter.Matches(edtObjectFilter->text().toStdString());
    if (keep == m_objectShown) {
        return;
    }
    // Every object is taken out and the kept ones are put back in order: hiding rows
    // instead makes the view look up each of tens of thousands of rows on every layout.
    m_filteredOut->takeChildren();
    QList<QTreeWidgetItem*> out;
    for (int top = 0; top < tlObjectTree->topLevelItemCount(); ++top) {
        QTreeWidgetItem* group = tlObjectTree->topLevelItem(top);
        group->takeChildren();
        const std::size_t from = top == 0 ? 0 : m_variableObjects;
        const std::size_t to = top == 0 ? m_variableObjects : m_objectItems.size();
        QList<QTreeWidgetItem*> shown;
        for (std::size_t object = from; object < to; ++object) {
            (keep[object] != 0 ? shown : out).append(m_objectItems[object]);
        }
        group->addChildren(shown);
    }
    m_filteredOut->addChildren(out);
    m_objectShown = keep;
}

QString TFMain::InsertionText() const {
    QString text;
    for (const QTreeWidgetItem* item : tlObjectTree->selectedItems()) {
        if (item->parent() == nullptr) {
            continue;
        }
        // Syntax names a multiple-response set with its dollar sign; without it the
        // engine takes the word for an unknown variable.
        const bool set = item->parent() != tlObjectTree->topLevelItem(0);
        text += (set && !item->text(0).startsWith('$') ? "$" : "") + item->text(0) + ' ';
    }
    return text;
}

void TFMain::InsertSelectedNames() {
    QApplication::clipboard()->setText(InsertionText());
    SynEdit->paste();
    tlObjectTree->clearSelection();
}

void TFMain::tlObjectTreeDblClick() {
    InsertSelectedNames();
}

bool TFMain::SynEditDragOver(const QPoint& point) {
    const QWidget* area = SynEdit->viewport();
    const bool accepted =
        point.x() > 0 && point.x() < area->width() && point.y() > 0 && point.y() < area->height();
    if (accepted) {
        SynEdit->SendScintilla(
            QsciScintilla::SCI_GOTOPOS,
            SynEdit->SendScintilla(QsciScintilla::SCI_POSITIONFROMPOINT, point.x(), point.y()));
        activateWindow();
        SynEdit->setFocus();
    }
    UpdateCommandStates();
    return accepted;
}

void TFMain::SynEditDragDrop(const QPoint& point) {
    if (!tlObjectTree->selectedItems().isEmpty() && SynEditDragOver(point)) {
        InsertSelectedNames();
    }
    UpdateCommandStates();
}

bool TFMain::HandleTreeDrag(QEvent* event) {
    // Only drags from the tree: text dragged within the editor or from elsewhere stays the
    // editor's own drag and drop.
    const auto* drop = static_cast<QDropEvent*>(event);
    if (drop->source() != tlObjectTree) {
        return false;
    }
    const QPoint point = drop->position().toPoint();
    if (event->type() == QEvent::Drop) {
        SynEditDragDrop(point);
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
    }
    auto* move = static_cast<QDragMoveEvent*>(event);
    if (event->type() == QEvent::DragEnter || SynEditDragOver(point)) {
        move->acceptProposedAction();
    } else {
        move->ignore();
    }
    return true;
}

} // namespace qs
