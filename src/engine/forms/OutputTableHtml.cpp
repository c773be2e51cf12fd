// PSPP's HTML tables for Qt's rich text, and tables as tab-separated text.
#include "engine/forms/OutputTableHtml.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextTable>

namespace qs {

namespace {

// Qt draws a cell border only when its width is given, and knows neither "thick" nor "thin":
// PSPP's keywords become widths.
QString QtBorder(QStringView value) {
    const QString style = value.contains(u"double")   ? QStringLiteral("double")
                          : value.contains(u"dashed") ? QStringLiteral("dashed")
                                                      : QStringLiteral("solid");
    const int width = style == u"double" ? 3 : value.contains(u"thick") ? 2 : 1;
    return QStringLiteral("%1px %2").arg(width).arg(style);
}

QString CellText(const QTextTableCell& cell) {
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\t') {
            c = u' ';
        }
    }
    return text;
}

} // namespace

QString QtTableHtml(const std::string& html) {
    static const QRegularExpression border(
        QStringLiteral(R"(border-(top|right|bottom|left):\s*([a-z][a-z ]*))"));
    const QString source = QString::fromStdString(html);
    QString out;
    out.reserve(source.size() + source.size() / 8);
    qsizetype done = 0;
    for (auto it = border.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += QStringView(source).sliced(done, match.capturedStart() - done);
        out += QStringLiteral("border-%1: %2")
                   .arg(match.capturedView(1), QtBorder(match.capturedView(2)));
        done = match.capturedEnd();
    }
    out += QStringView(source).sliced(done);

    // PSPP's style sheet, which is not part of the item, gives these.
    const qsizetype table = out.indexOf(QStringLiteral("<table"));
    if (table >= 0) {
        out.insert(table + 6, QStringLiteral(" cellpadding=\"3\" style=\"border-collapse: "
                                             "collapse; margin-bottom: 8px\""));
    }
    // Qt centres a caption on the page, not over the table, where it reads as a stray line.
    const qsizetype caption = out.indexOf(QStringLiteral("<caption"));
    const qsizetype captionEnd = caption >= 0 ? out.indexOf(u'>', caption) : -1;
    const QString centred = QStringLiteral("text-align: center");
    const qsizetype align = captionEnd >= 0 ? out.indexOf(centred, caption) : -1;
    if (align >= 0 && align < captionEnd) {
        out.replace(align, centred.size(), QStringLiteral("text-align: left"));
    }
    return out;
}

QString TableTsv(const QTextTable& table) {
    QString text;
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            if (column > 0) {
                text += u'\t';
            }
            if (cell.row() == row && cell.column() == column) {
                text += CellText(cell);
            }
        }
        text += u'\n';
    }
    return text;
}

} // namespace qs
