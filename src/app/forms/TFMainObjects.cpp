// The tree of data file objects beside the editor: its build from a data file's
// dictionary, and putting the selected names into the text by double click or drag.
#include "app/forms/TFMain.h"
#include "datafile/TSPSSVL.h"
#include "highlight/SynHighlighterSPSS.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QTreeWidget>

namespace qs {

namespace {

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
            children.append(
                new QTreeWidgetItem(QStringList{QString::fromStdString(variable->Name)}));
            names.push_back(variable->Name);
        }
        variables->addChildren(children);
        variables->setExpanded(true);
        if (SPSSDatafile->MRSets().Count() > 0) {
            QTreeWidgetItem* sets = AddTopLevel(tlObjectTree, "Sets");
            for (const auto& set : SPSSDatafile->MRSets()) {
                sets->addChild(new QTreeWidgetItem(QStringList{QString::fromStdString(set->Name)}));
                names.push_back(set->Name);
            }
            sets->setExpanded(true);
        }
        SPSSDatafile->Close();
        // Refreshes mostly find the same names: restyling a large text for nothing is
        // what a user would feel.
        if (names != m_highlighter->Variables()) {
            m_highlighter->SetVariables(names);
            SynEdit->Restyle();
        }
    }
    UpdateCommandStates();
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
