// The Data View's and the Variable View's models; see DataViewModels.h.
#include "engine/forms/DataViewModels.h"

#include "datafile/DictPrinter.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QGuiApplication>

#include <cfloat>

namespace qs {

namespace {

constexpr std::int64_t kBlockRows = 256; // read at a time
constexpr std::size_t kBlocksKept = 8;  // some screens' worth, whatever the file's size
constexpr int kIndexPollMs = 250;
constexpr int kMaxValueLabelsShown = 3;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The number of a value as the dictionary and its labels know it.
QString Number(double value) {
    return QString::number(value, 'g', 15);
}

} // namespace

CaseTableModel::CaseTableModel(QObject* parent) : QAbstractTableModel(parent) {
    m_indexTimer.setInterval(kIndexPollMs);
    connect(&m_indexTimer, &QTimer::timeout, this, &CaseTableModel::FollowIndex);
}

CaseTableModel::~CaseTableModel() = default;

void CaseTableModel::SetReader(std::shared_ptr<spssio::CaseReader> reader) {
    beginResetModel();
    m_indexTimer.stop();
    m_blocks.clear();
    m_failed = false;
    m_reader = std::move(reader);
    m_columns.clear();
    m_rows = 0;
    m_first = 0;
    if (m_reader) {
        const spssio::SavDictionary& dict = m_reader->dictionary();
        m_columns = MakeCaseColumns(dict, true);
        m_recode = std::make_unique<spssio::Recoder>(dict.encoding);
        const std::string encoding = spssio::foldName(dict.encoding);
        m_utf8 = encoding == "UTF-8" || encoding == "UTF8";
        m_reader->startIndexing();
        m_rows = std::max<std::int64_t>(0, m_reader->caseCount());
        if (m_reader->caseCount() < 0) {
            m_indexTimer.start();
        }
    }
    endResetModel();
    emit CaseCountChanged(m_rows);
}

int CaseTableModel::WindowRows(std::int64_t first, int rows) const {
    return static_cast<int>(std::clamp<std::int64_t>(m_rows - first, 0, rows));
}

void CaseTableModel::SetWindow(std::int64_t first, int rows) {
    first = std::clamp<std::int64_t>(first, 0, std::max<std::int64_t>(0, m_rows - 1));
    rows = std::max(rows, 1);
    const int before = rowCount();
    const int after = WindowRows(first, rows);
    const bool moved = first != m_first;
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
    } else if (after > before) {
        beginInsertRows({}, before, after - 1);
    }
    m_first = first;
    m_window = rows;
    if (after < before) {
        endRemoveRows();
    } else if (after > before) {
        endInsertRows();
    }
    if (moved && after > 0 && !m_columns.empty()) {
        emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, after - 1);
    }
}

void CaseTableModel::FollowIndex() {
    if (!m_reader) {
        m_indexTimer.stop();
        return;
    }
    const spssio::IndexProgress progress = m_reader->indexProgress();
    const std::int64_t count =
        m_reader->caseCount() >= 0 ? m_reader->caseCount() : progress.cases;
    if (count > m_rows) {
        const int before = rowCount();
        const int after = static_cast<int>(std::clamp<std::int64_t>(count - m_first, 0, m_window));
        if (after > before) {
            beginInsertRows({}, before, after - 1);
        }
        m_rows = count;
        if (after > before) {
            endInsertRows();
        }
        emit CaseCountChanged(m_rows);
    }
    if (progress.finished || progress.cancelled) {
        m_indexTimer.stop();
    }
}

void CaseTableModel::SetLabels(bool on) {
    if (on == m_labels) {
        return;
    }
    m_labels = on;
    if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
    }
}

int CaseTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : WindowRows(m_first, m_window);
}

int CaseTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const spssio::CaseBlock* CaseTableModel::BlockOf(std::int64_t row) const {
    const std::int64_t first = row - row % kBlockRows; // the file's rows, not the window's
    for (auto it = m_blocks.begin(); it != m_blocks.end(); ++it) {
        if (it->first == first) {
            m_blocks.splice(m_blocks.begin(), m_blocks, it);
            return row - first < it->cases.count ? &it->cases : nullptr;
        }
    }
    Block block;
    block.first = first;
    if (!m_reader->read(first, kBlockRows, block.cases) && !m_failed) {
        m_failed = true; // said once; the rows before the damage still show
        const QString message = QString::fromStdString(m_reader->error());
        auto* self = const_cast<CaseTableModel*>(this);
        QMetaObject::invokeMethod(self, [self, message] { emit self->ReadFailed(message); },
                                  Qt::QueuedConnection);
    }
    m_blocks.push_front(std::move(block));
    if (m_blocks.size() > kBlocksKept) {
        m_blocks.pop_back();
    }
    const spssio::CaseBlock& cases = m_blocks.front().cases;
    return row - first < cases.count ? &cases : nullptr;
}

bool CaseTableModel::UserMissing(int column, const std::uint8_t* record) const {
    const spssio::SavVariable& v = m_reader->dictionary().variables[static_cast<std::size_t>(column)];
    const spssio::SavMissing& missing = v.missing;
    if (missing.format == 0) {
        return false;
    }
    if (v.width > 0) {
        std::string scratch;
        std::string_view value = m_reader->bytes(record, column, scratch);
        while (!value.empty() && value.back() == ' ') {
            value.remove_suffix(1);
        }
        for (int i = 0; i < std::min(missing.format, 3); ++i) {
            std::string_view text = missing.text[i];
            while (!text.empty() && text.back() == ' ') {
                text.remove_suffix(1);
            }
            if (text == value) {
                return true;
            }
        }
        return false;
    }
    const double value = m_reader->number(record, column);
    if (value == -DBL_MAX) {
        return false; // system-missing
    }
    if (missing.format > 0) {
        for (int i = 0; i < missing.format && i < 3; ++i) {
            if (value == missing.number[i]) {
                return true;
            }
        }
        return false;
    }
    // A range (-2), or a range and a value (-3).
    return (value >= missing.number[0] && value <= missing.number[1]) ||
           (missing.format == -3 && value == missing.number[2]);
}

QString CaseTableModel::Text(const std::uint8_t* record, int column) const {
    CaseColumn& c = const_cast<CaseColumn&>(m_columns[static_cast<std::size_t>(column)]);
    std::string scratch;
    std::string recoded;
    if (c.numeric) {
        const double value = m_reader->number(record, column);
        if (m_labels && value != -DBL_MAX) {
            if (const auto it = c.numberLabels.find(value); it != c.numberLabels.end()) {
                return FromUtf8(it->second);
            }
        }
        return FromUtf8(c.format.Number(value)).trimmed();
    }
    std::string_view bytes = m_reader->bytes(record, column, scratch);
    if (m_labels) {
        std::string_view key = bytes;
        while (!key.empty() && key.back() == ' ') {
            key.remove_suffix(1);
        }
        if (const auto it = c.textLabels.find(key); it != c.textLabels.end()) {
            return FromUtf8(it->second);
        }
    }
    if (c.hex) {
        return FromUtf8(c.format.String(bytes));
    }
    const std::string_view text = CaseText(bytes, m_utf8, *m_recode, recoded);
    QString shown = FromUtf8(text);
    while (shown.endsWith(u' ')) {
        shown.chop(1);
    }
    return shown;
}

QVariant CaseTableModel::data(const QModelIndex& index, int role) const {
    if (!m_reader || !index.isValid()) {
        return {};
    }
    const int column = index.column();
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::ToolTipRole &&
        role != Qt::FontRole && role != Qt::TextAlignmentRole) {
        return {};
    }
    const std::int64_t row = m_first + index.row();
    const spssio::CaseBlock* block = BlockOf(row);
    if (!block) {
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    }
    const std::uint8_t* record = block->record(row - block->first);
    if (role == Qt::TextAlignmentRole) {
        // Numbers to the right, as they line up; texts and labels to the left.
        const CaseColumn& c = m_columns[static_cast<std::size_t>(column)];
        const bool labelled = m_labels && c.numeric &&
                              c.numberLabels.contains(m_reader->number(record, column));
        return c.numeric && !labelled ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                      : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    // The view asks for several roles a cell: each does only its own work.
    switch (role) {
    case Qt::DisplayRole:
        return Text(record, column);
    case Qt::ForegroundRole:
        return UserMissing(column, record)
                   ? QVariant(QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text))
                   : QVariant();
    case Qt::FontRole:
        if (UserMissing(column, record)) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole: {
        const QString text = Text(record, column);
        return UserMissing(column, record) ? QVariant(tr("%1 (user-missing)").arg(text))
                                           : QVariant(text);
    }
    default:
        return {};
    }
}

QVariant CaseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && m_reader) {
        if (orientation == Qt::Vertical) {
            return static_cast<qlonglong>(m_first + section + 1); // case numbers from 1
        }
        return QString::fromStdString(
            m_reader->dictionary().variables[static_cast<std::size_t>(section)].name);
    }
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal && m_reader) {
        const auto& v = m_reader->dictionary().variables[static_cast<std::size_t>(section)];
        return FromUtf8(v.label);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

// The Variable View: a row a variable.
namespace {

enum VariableColumn { kName, kType, kWidth, kDecimals, kLabel, kValues, kMissing, kMeasure, kColumns };

QString TypeName(const spssio::SavVariable& v) {
    if (v.width > 0) {
        return VariableViewModel::tr("String");
    }
    const int type = (v.printFormat >> 16) & 0xFF;
    if (type == 5) {
        return VariableViewModel::tr("Numeric");
    }
    // The format's name (DATE, DOLLAR, COMMA...): FormatSpecText gives it before its width.
    QString spec = QString::fromStdString(FormatSpecText(type, 1, 0));
    while (!spec.isEmpty() && (spec.back().isDigit() || spec.back() == u'.')) {
        spec.chop(1);
    }
    return spec;
}

QString MissingText(const spssio::SavVariable& v) {
    const spssio::SavMissing& m = v.missing;
    if (m.format == 0) {
        return VariableViewModel::tr("None");
    }
    QStringList parts;
    if (m.format < 0) {
        const auto end = [](double x) {
            return x == -DBL_MAX ? QStringLiteral("LO") : x == DBL_MAX ? QStringLiteral("HI") : Number(x);
        };
        parts << end(m.number[0]) + QStringLiteral(" THRU ") + end(m.number[1]);
        if (m.format == -3) {
            parts << Number(m.number[2]);
        }
    } else {
        for (int i = 0; i < m.format && i < 3; ++i) {
            parts << (v.width > 0 ? "'" + FromUtf8(m.text[i]).trimmed() + "'" : Number(m.number[i]));
        }
    }
    return parts.join(QStringLiteral(", "));
}

QString LabelsText(const spssio::SavVariable& v) {
    if (v.valueLabels.empty()) {
        return VariableViewModel::tr("None");
    }
    QStringList parts;
    for (const spssio::SavValueLabel& l : v.valueLabels) {
        if (parts.size() == kMaxValueLabelsShown) {
            parts << VariableViewModel::tr("... (%1 in all)").arg(v.valueLabels.size());
            break;
        }
        const QString value = v.width > 0 ? "'" + FromUtf8(l.text) + "'" : Number(l.number);
        parts << QStringLiteral("{%1, %2}").arg(value, FromUtf8(l.label));
    }
    return parts.join(QStringLiteral(" "));
}

} // namespace

void VariableViewModel::SetDictionary(const spssio::SavDictionary* dictionary) {
    beginResetModel();
    m_dictionary = dictionary;
    endResetModel();
}

int VariableViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_dictionary ? 0 : static_cast<int>(m_dictionary->variables.size());
}

int VariableViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant VariableViewModel::data(const QModelIndex& index, int role) const {
    if (!m_dictionary || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const spssio::SavVariable& v = m_dictionary->variables[static_cast<std::size_t>(index.row())];
    const int format = v.printFormat;
    switch (index.column()) {
    case kName:
        return QString::fromStdString(v.name);
    case kType:
        return TypeName(v);
    case kWidth:
        return v.width > 0 ? v.width : (format >> 8) & 0xFF;
    case kDecimals:
        return v.width > 0 ? 0 : format & 0xFF;
    case kLabel:
        return FromUtf8(v.label);
    case kValues:
        return LabelsText(v);
    case kMissing:
        return MissingText(v);
    case kMeasure: {
        static const char* const kMeasures[] = {"Unknown", "Nominal", "Ordinal", "Scale"};
        return tr(kMeasures[v.measure >= 0 && v.measure <= 3 ? v.measure : 0]);
    }
    default:
        return {};
    }
}

QVariant VariableViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal) {
        static const char* const kHeads[] = {"Name",   "Type",   "Width",   "Decimals",
                                             "Label",  "Values", "Missing", "Measure"};
        return tr(kHeads[section]);
    }
    if (role == Qt::DisplayRole && orientation == Qt::Vertical) {
        return section + 1;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace qs
