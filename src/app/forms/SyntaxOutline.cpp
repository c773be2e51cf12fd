// The document outline: rows from the command splitter, made on a pool thread.
#include "app/forms/SyntaxOutline.h"

#include "spss/CommandSplitter.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

namespace qs {

namespace {

constexpr int kPauseMs = 300;
constexpr std::size_t kMaxLabel = 60;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Whether the command is a comment: * or COMMENT (PSPP takes COMM at least).
bool IsComment(std::string_view first) {
    if (first.starts_with('*')) {
        return true;
    }
    std::size_t length = 0;
    while (length < first.size() && std::isalpha(static_cast<unsigned char>(first[length]))) {
        ++length;
    }
    static constexpr std::string_view kComment = "COMMENT";
    if (length < 4 || length > kComment.size()) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (std::toupper(static_cast<unsigned char>(first[i])) != kComment[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<OutlineRow> OutlineRows(std::string_view text) {
    std::vector<OutlineRow> rows;
    CommandSplitter splitter(text);
    while (const auto command = splitter.Next()) {
        // The first line, blanks folded; a command's sign (+ - .) is not part of its name.
        std::string_view first = text.substr(command->begin, command->end - command->begin);
        first = first.substr(0, std::min(first.find('\n'), first.size()));
        while (!first.empty() && (IsBlank(first.front()) || first.front() == '+' ||
                                  first.front() == '-' || first.front() == '.')) {
            first.remove_prefix(1);
        }
        if (first.empty() || IsComment(first)) {
            continue;
        }
        std::string label;
        for (char c : first) {
            if (IsBlank(c)) {
                if (!label.empty() && label.back() != ' ') {
                    label += ' ';
                }
            } else {
                label += c;
            }
            if (label.size() >= kMaxLabel) {
                label += "...";
                break;
            }
        }
        while (!label.empty() && label.back() == ' ') {
            label.pop_back();
        }
        rows.push_back({command->firstLine, std::move(label)});
    }
    return rows;
}

class OutlineModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void SetRows(std::vector<OutlineRow> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const std::vector<OutlineRow>& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        const OutlineRow& row = m_rows[static_cast<std::size_t>(index.row())];
        return QStringLiteral("%1  %2").arg(row.line).arg(QString::fromStdString(row.label));
    }

private:
    std::vector<OutlineRow> m_rows;
};

SyntaxOutline::SyntaxOutline(QWidget* parent)
    : QWidget(parent), m_alive(std::make_shared<bool>(true)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_model = new OutlineModel(this);
    lstCommands = new QListView;
    lstCommands->setObjectName("lstCommands");
    lstCommands->setModel(m_model);
    // Hundreds of thousands of rows: one height spares measuring each.
    lstCommands->setUniformItemSizes(true);
    lstCommands->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblStatus = new QLabel;
    lblStatus->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(lstCommands, 1);
    layout->addWidget(lblStatus);
    const auto choose = [this](const QModelIndex& index) {
        if (index.isValid()) {
            emit LineChosen(static_cast<long>(m_model->Rows()[static_cast<std::size_t>(index.row())].line));
        }
    };
    connect(lstCommands, &QListView::clicked, this, choose);
    connect(lstCommands, &QListView::activated, this, choose);
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &SyntaxOutline::Start);
}

SyntaxOutline::~SyntaxOutline() {
    *m_alive = false;
}

void SyntaxOutline::TextChanged(bool now) {
    m_waiting = true;
    if (now) {
        m_pause.stop();
        Start();
    } else {
        m_pause.start();
    }
}

bool SyntaxOutline::Busy() const {
    return m_waiting || m_running;
}

void SyntaxOutline::Start() {
    if (m_running || !m_waiting || !m_source) {
        return; // the newest text goes when the running outline is done
    }
    m_waiting = false;
    m_running = true;
    const std::uint64_t generation = ++m_generation;
    QPointer<SyntaxOutline> self(this);
    std::weak_ptr<bool> alive = m_alive;
    QThreadPool::globalInstance()->start([self, alive, generation, text = m_source()] {
        std::vector<OutlineRow> rows = OutlineRows(text);
        if (alive.expired()) {
            return;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, rows = std::move(rows)]() mutable {
                if (self) {
                    self->Finished(generation, std::move(rows));
                }
            },
            Qt::QueuedConnection);
    });
}

void SyntaxOutline::Finished(std::uint64_t generation, std::vector<OutlineRow> rows) {
    m_running = false;
    if (generation == m_generation) {
        const QModelIndex current = lstCommands->currentIndex();
        const int keep = current.isValid() ? current.row() : -1;
        m_model->SetRows(std::move(rows));
        const auto count = m_model->Rows().size();
        lblStatus->setText(count == 1 ? tr("1 command") : tr("%1 commands").arg(count));
        if (keep >= 0 && keep < m_model->rowCount({})) {
            lstCommands->setCurrentIndex(m_model->index(keep));
        }
    }
    if (m_waiting && !m_pause.isActive()) {
        Start();
    }
}

void SyntaxOutline::FollowLine(std::size_t line) {
    const auto& rows = m_model->Rows();
    const auto after = std::upper_bound(rows.begin(), rows.end(), line,
                                        [](std::size_t l, const OutlineRow& r) { return l < r.line; });
    if (after == rows.begin()) {
        return;
    }
    const QModelIndex index = m_model->index(static_cast<int>(after - rows.begin() - 1));
    lstCommands->setCurrentIndex(index);
    lstCommands->scrollTo(index);
}

} // namespace qs
