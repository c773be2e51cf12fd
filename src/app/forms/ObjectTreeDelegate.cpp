#include "app/forms/ObjectTreeDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace qs {

namespace {

constexpr int kGap = 8;          // pixels between a name and its label
constexpr int kLeastLabel = 24;  // narrower than this, a label is left out

} // namespace

QString ObjectTreeDelegate::Tip(const QModelIndex& index) const {
    bool ok = false;
    const int number = index.data(kTipRole).toInt(&ok);
    if (!ok || number < 0 || static_cast<std::size_t>(number) >= m_tips.size()) {
        return {};
    }
    const std::string& tip = m_tips[static_cast<std::size_t>(number)];
    return QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size()));
}

void ObjectTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QString label = index.data(kLabelRole).toString();
    if (label.isEmpty()) {
        return;
    }
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QStyle* style = opt.widget != nullptr ? opt.widget->style() : QApplication::style();
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    QRect area = text.adjusted(margin + opt.fontMetrics.horizontalAdvance(opt.text) + kGap, 0,
                               -margin, 0);
    if (area.width() < kLeastLabel) {
        return;
    }
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText
                                               : QPalette::PlaceholderText));
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                      opt.fontMetrics.elidedText(label, Qt::ElideRight, area.width()));
    painter->restore();
}

bool ObjectTreeDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const QString tip = Tip(index);
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    // Labels are the file's text, never markup; the lines keep their breaks.
    QToolTip::showText(event->globalPos(),
                       "<p style='white-space:pre'>" + tip.toHtmlEscaped() + "</p>", view,
                       view->visualRect(index));
    return true;
}

} // namespace qs
