// What the output view's outline nodes hold, shared by the files of the view.
#pragma once

#include <QString>
#include <QTreeWidgetItem>
#include <QUrl>

namespace qs::outline {

constexpr int kStartRole = Qt::UserRole;       // the node's first document position
constexpr int kEndRole = Qt::UserRole + 1;     // and its last
constexpr int kIndexRole = Qt::UserRole + 2;   // the item's index; -1 for a run or a command
constexpr int kHeadingRole = Qt::UserRole + 3; // a run's or command's heading in the view
constexpr int kFreshStartRole = Qt::UserRole + 4; // a heading's range in a fresh document
constexpr int kFreshEndRole = Qt::UserRole + 5;

inline QTreeWidgetItem* RunOf(QTreeWidgetItem* node) {
    while (node->parent()) {
        node = node->parent();
    }
    return node;
}

// The node after `node` in the outline's order (a node's children follow it); null at the end.
inline QTreeWidgetItem* NextInOutline(QTreeWidgetItem* node) {
    if (node->childCount() > 0) {
        return node->child(0);
    }
    for (; node; node = node->parent()) {
        QTreeWidgetItem* parent = node->parent();
        QTreeWidget* tree = node->treeWidget();
        const int index = parent ? parent->indexOfChild(node) : tree->indexOfTopLevelItem(node);
        const int count = parent ? parent->childCount() : tree->topLevelItemCount();
        if (index + 1 < count) {
            return parent ? parent->child(index + 1) : tree->topLevelItem(index + 1);
        }
    }
    return nullptr;
}

inline QUrl ChartName(int itemIndex) {
    return QUrl(QStringLiteral("chart:%1").arg(itemIndex));
}

} // namespace qs::outline
