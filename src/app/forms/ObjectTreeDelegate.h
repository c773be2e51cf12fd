// The object tree's cells: a data file object's label drawn beside its name, and a
// variable's tooltip (type, measurement level, value labels) made when it is asked for.
#pragma once

#include <QStyledItemDelegate>

#include <string>
#include <vector>

namespace qs {

class ObjectTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kLabelRole = Qt::UserRole + 1; // the label, beside the name
    static constexpr int kTipRole = Qt::UserRole + 2;   // the number of the tooltip text

    using QStyledItemDelegate::QStyledItemDelegate;

    // The texts (UTF-8) that cells name by number; kept as bytes until one is shown.
    void SetTips(std::vector<std::string> tips) { m_tips = std::move(tips); }
    QString Tip(const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    std::vector<std::string> m_tips;
};

} // namespace qs
