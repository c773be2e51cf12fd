// Serves the protocol's operations over one PSPP session and the two windows.
#include "engine/EngineHost.h"

#include "engine/EngineServer.h"
#include "engine/PsppHtmlItems.h"
#include "engine/SyntaxCommands.h"
#include "engine/VariableTable.h"
#include "platform/spssio/CaseReader.h"
#include "engine/forms/DataWindow.h"
#include "engine/forms/OutputWindow.h"
#include "platform/automation/EngineClient.h"
#include "platform/automation/EngineMessages.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QStatusBar>
#include <QRegularExpression>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qs::engine {
namespace {

// A client is read no further while this many of its requests, or this many bytes of
// them, wait: the protocol has a client wait for each reply, so only a client that does
// not gets here, and the engine's memory must not be its to fill.
constexpr std::size_t kMaxWaitingRequests = 16;
constexpr std::size_t kMaxWaitingBytes = 32u * 1024u * 1024u;

// Included files are followed this deep when tracking the data document.
constexpr int kMaxIncludeDepth = 8;


// PSPP's own words for what went wrong in a batch.
std::string ErrorText(const BatchResult& result) {
    std::string text;
    for (const auto& message : result.messages) {
        if (message.severity == PsppMessage::Severity::Error) {
            text += (text.empty() ? "" : "\n") + message.text;
        }
    }
    return text;
}

// The messages with their places, as the protocol sends them.
std::vector<automation::EngineMessage> EngineMessages(const BatchResult& result) {
    using Severity = automation::EngineMessage::Severity;
    std::vector<automation::EngineMessage> messages;
    for (const PsppMessage& message : result.messages) {
        const Severity severity = message.severity == PsppMessage::Severity::Error ? Severity::Error
                                  : message.severity == PsppMessage::Severity::Warning
                                      ? Severity::Warning
                                      : Severity::Note;
        messages.push_back({severity, message.file, static_cast<std::int64_t>(message.line),
                            message.text.substr(message.bodyStart)});
    }
    return messages;
}

// Included files larger than this are not followed for the document's name.
constexpr off_t kMaxFollowedBytes = 16 * 1024 * 1024;

// The text of a regular file of at most kMaxFollowedBytes. This runs on the window's
// thread: a FIFO, a device or a huge file named by INCLUDE must not hold or fill it.
std::optional<std::string> SmallRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFollowedBytes) {
        std::string content(static_cast<std::size_t>(st.st_size), '\0');
        std::size_t done = 0;
        ssize_t n = 0;
        while (done < content.size() &&
               (n = ::read(fd, content.data() + done, content.size() - done)) > 0) {
            done += static_cast<std::size_t>(n);
        }
        content.resize(done);
        text = std::move(content);
    }
    ::close(fd);
    return text;
}


// "Run 3, 14:02:11: FREQUENCIES x /HISTOGRAM." — the run's first line names it.
QString RunTitle(int number, const std::string& text) {
    QString first;
    for (const QString& line : QString::fromStdString(text).split(QRegularExpression("[\r\n]"))) {
        if (!line.trimmed().isEmpty()) {
            first = line.trimmed();
            break;
        }
    }
    if (first.size() > 60) {
        first = first.left(59) + QChar(0x2026);
    }
    return QString("Run %1, %2: %3")
        .arg(number)
        .arg(QTime::currentTime().toString("HH:mm:ss"))
        .arg(first);
}

bool Mentions(const BatchResult& result, std::string_view words) {
    return std::any_of(result.messages.begin(), result.messages.end(),
                       [&](const PsppMessage& message) {
                           return message.text.find(words) != std::string::npos;
                       });
}

} // namespace

EngineHost::EngineHost(EngineServer& server, PsppSession& session, OutputWindow& output,
                       DataWindow& data, QObject* parent)
    : QObject(parent), m_server(server), m_session(session), m_output(output), m_data(data) {
    connect(&server, &EngineServer::RequestArrived, this, &EngineHost::OnRequest);
    connect(&server, &EngineServer::ClientGone, this, &EngineHost::OnClientGone);
    connect(&session, &PsppSession::BatchFinished, this, &EngineHost::OnBatchFinished);
    connect(&session, &PsppSession::SessionEnded, this, &EngineHost::OnSessionEnded);
    connect(&session, &PsppSession::Output, this, [this](const QString& text) {
        if (m_purpose == Purpose::User) {
            m_output.AppendOutput(text);
        }
    });
    connect(&output, &OutputWindow::LineActivated, this, &EngineHost::ShowLineInEditor);
    connect(&data, &DataWindow::CasesWanted, this, [this] { QTimer::singleShot(0, this, &EngineHost::Pump); });
    connect(&session, &PsppSession::ItemsArrived, this, [this](const OutputItems& items) {
        if (m_purpose != Purpose::User || !m_current) {
            return;
        }
        if (!m_runShown) {
            m_runShown = true;
            m_output.BeginRun(RunTitle(++m_runs, m_current->request.text));
        }
        const MessagePlace place{m_current->request.line, m_current->request.textFile};
        if (!place.Moves()) {
            m_output.AppendItems(items);
            return;
        }
        OutputItems placed = items;
        PlaceMessages(placed, place);
        m_output.AppendItems(placed);
    });
    const auto closed = [this] {
        if (!m_output.isVisible() && !m_data.isVisible()) {
            emit AllWindowsClosed();
        }
    };
    connect(&output, &OutputWindow::closed, this, closed, Qt::QueuedConnection);
    connect(&data, &DataWindow::closed, this, closed, Qt::QueuedConnection);
    if (!session.Available()) {
        m_output.AppendOutput(QString::fromStdString(session.UnavailableMessage()) + "\n");
    }
    const PrivateFolderResult cases = PrivateCacheFolder("cases", true);
    m_casesFolder = cases.error.empty() ? cases.path : m_session.WorkFolder();
    RemoveLeftCopies();
    ShowDataset();
}

EngineHost::~EngineHost() {
    const QString pid = QString::number(::getpid());
    for (const auto& [where, pattern] : {std::pair{m_session.WorkFolder(), "dict-" + pid + "-*.sav"},
                                        std::pair{m_casesFolder, "cases-" + pid + "-*.sav"}}) {
        QDir folder(QString::fromStdString(where));
        for (const QString& name : folder.entryList({pattern}, QDir::Files)) {
            folder.remove(name);
        }
    }
}

bool EngineHost::RoomForCases() {
    // A copy fills the disk for the user's other programs too, before PSPP's SAVE fails:
    // it is made only while it leaves some room. Its size is guessed from the last copy,
    // else from the file the dataset came from.
    constexpr std::uint64_t kMiB = 1024 * 1024;
    std::uint64_t keepFree = 256 * kMiB;
    if (const QByteArray set = qgetenv("QUILLSTONE_CASES_KEEP_FREE_MB"); !set.isEmpty()) {
        keepFree = set.toULongLong() * kMiB;
    }
    std::error_code error;
    std::uint64_t needed = 0;
    for (const std::string& file : {m_casesFile, m_dataPath}) {
        if (!file.empty() && needed == 0) {
            const auto size = std::filesystem::file_size(file, error);
            needed = error ? 0 : size;
        }
    }
    const std::filesystem::space_info space = std::filesystem::space(m_casesFolder, error);
    if (error || space.available >= needed + keepFree) {
        return true;
    }
    m_data.SetCases(nullptr, tr("The cases are not shown: a copy of them needs about %1 MB, and "
                                "%2 has %3 MB free (%4 MB are kept free).")
                                 .arg((needed + kMiB - 1) / kMiB)
                                 .arg(QString::fromStdString(m_casesFolder))
                                 .arg(space.available / kMiB)
                                 .arg(keepFree / kMiB));
    return false;
}

void EngineHost::RemoveLeftCopies() {
    // An engine that was killed left its copies of the cases, which may be as large as the
    // datasets were; another engine of the user's that still runs keeps its own.
    static const QRegularExpression copyName("^cases-([0-9]{1,9})-[0-9]+\\.sav$");
    QDir folder(QString::fromStdString(m_casesFolder));
    for (const QString& name : folder.entryList({"cases-*-*.sav"}, QDir::Files)) {
        const QRegularExpressionMatch match = copyName.match(name);
        const qint64 pid = match.hasMatch() ? match.captured(1).toLongLong() : 0;
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            folder.remove(name);
        }
    }
}

void EngineHost::OnRequest(quint64 client, const QByteArray& line) {
    const ParsedRequest parsed = ParseEngineRequest(std::string_view(line.constData(), line.size()));
    const bool greeted = m_greeted.count(client) != 0;
    if (!greeted) {
        if (!parsed.request || parsed.request->op != EngineOp::Hello) {
            m_server.Reply(client, ErrorReply("the first request must be {\"op\":\"hello\",\"v\":1}"),
                           true);
        } else if (parsed.request->version != automation::kProtocolVersion) {
            m_server.Reply(client,
                           ErrorReply("protocol version " + std::to_string(parsed.request->version) +
                                      " is not supported"),
                           true);
        } else {
            m_greeted.insert(client);
            m_server.Reply(client, HelloReply(automation::kProtocolVersion));
        }
        return;
    }
    if (!parsed.request) {
        m_server.Reply(client, ErrorReply(parsed.error));
        return;
    }
    if (parsed.request->op == EngineOp::Hello) {
        m_server.Reply(client, HelloReply(automation::kProtocolVersion));
        return;
    }
    if (parsed.request->op == EngineOp::Watch) {
        // Answered when the user clicks a message of a run this process sent.
        m_watchers.push_back(client);
        return;
    }
    if (AnsweredAtOnce(parsed.request->op)) {
        Answer(client, *parsed.request);
        return;
    }
    // Requests that the same wake-up brings in arrived together; they are taken in the
    // order their connections were made, once all of them have been read.
    m_arrivals.push_back({client, *parsed.request});
    Queued(m_arrivals.back(), +1);
    if (m_arrivals.size() == 1) {
        QTimer::singleShot(0, this, &EngineHost::TakeArrivals);
    }
}

void EngineHost::TakeArrivals() {
    // A socket's wake-up may come late; whatever else has arrived by now came together.
    m_server.ReadAll();
    std::stable_sort(m_arrivals.begin(), m_arrivals.end(),
                     [](const Task& a, const Task& b) { return a.client < b.client; });
    for (Task& task : m_arrivals) {
        m_tasks.push_back(std::move(task));
    }
    m_arrivals.clear();
    Pump();
}

void EngineHost::Queued(const Task& task, int change) {
    Backlog& backlog = m_backlog[task.client];
    const std::size_t bytes = task.request.text.size() + task.request.path.size();
    if (change > 0) {
        ++backlog.requests;
        backlog.bytes += bytes;
    } else {
        --backlog.requests;
        backlog.bytes -= bytes;
    }
    m_server.Hold(task.client, backlog.requests >= kMaxWaitingRequests ||
                                   backlog.bytes >= kMaxWaitingBytes);
    if (backlog.requests == 0) {
        m_backlog.erase(task.client);
    }
}

void EngineHost::OnClientGone(quint64 client) {
    m_greeted.erase(client);
    std::erase(m_watchers, client);
    m_backlog.erase(client);
    if (m_current && m_current->client == client && m_purpose == Purpose::User && !m_stopping) {
        m_output.AppendOutput("\nThe editor that sent this run has gone; the run goes on here.\n");
    }
    const auto mine = [client](const Task& task) { return task.client == client; };
    std::erase_if(m_tasks, mine);
    std::erase_if(m_arrivals, mine);
}

void EngineHost::Pump() {
    while (!m_current && !m_session.Busy()) {
        if (!m_tasks.empty()) {
            Task task = std::move(m_tasks.front());
            m_tasks.pop_front();
            Queued(task, -1);
            Run(std::move(task));
            continue;
        }
        // Idle: bring the Data window's variables up to date while nobody waits.
        if (m_variablesStale && m_data.isVisible() && m_session.Available()) {
            m_variablesStale = false;
            m_casesStale = m_casesChanged;
            m_purpose = Purpose::Variables;
            m_session.RunBatch(std::string(kVariableTableCommand));
        } else if (m_casesStale && m_data.WantsCases() && m_pending.FileWritesPending()) {
            // Copying the cases reads them, which would run the user's WRITE or XSAVE now,
            // writing files no procedure of theirs has asked for yet.
            m_casesStale = false;
            m_data.SetCases(nullptr, tr("The cases show once a procedure has run the pending "
                                        "transformations that write files (WRITE, PRINT, XSAVE)."));
        } else if (m_casesStale && m_data.WantsCases() && m_session.Available() &&
                   !RoomForCases()) {
            m_casesStale = false;
        } else if (m_casesStale && m_data.WantsCases() && m_session.Available()) {
            // The cases go to a private file the Data View reads on demand: TEMPORARY first,
            // which fails and changes nothing when the user's own TEMPORARY waits.
            m_casesStale = false;
            m_purpose = Purpose::CasesProbe;
            m_session.RunBatch("TEMPORARY. /* the Data View's copy of the cases */");
        }
        return;
    }
}

QWidget* EngineHost::Window(std::int64_t kind) const {
    if (kind == 0) {
        return &m_data;
    }
    return &m_output; // the output and the designer document share one window
}

void EngineHost::Run(Task task) {
    const EngineRequest& request = task.request;
    switch (request.op) {
    case EngineOp::Execute:
        if (!m_session.Available()) {
            m_server.Reply(task.client, ErrorReply(m_session.UnavailableMessage()));
            return;
        }
        if (!request.wait && !request.report && !request.messages) {
            m_server.Reply(task.client, OkReply());
        }
        m_lastRunPid = m_server.PeerPid(task.client);
        m_current = std::move(task);
        m_purpose = Purpose::User;
        m_session.RunBatch(m_current->request.text, m_current->request.folder,
                           {m_current->request.line, m_current->request.textFile});
        return;
    case EngineOp::SaveAs:
        if (!m_session.Available()) {
            m_server.Reply(task.client, ErrorReply(m_session.UnavailableMessage()));
            return;
        }
        if (request.path.find_first_of("\r\n") != std::string::npos) {
            m_server.Reply(task.client, ErrorReply("the file name contains a line break"));
            return;
        }
        m_current = std::move(task);
        m_purpose = Purpose::SaveAs;
        m_session.RunBatch("SAVE OUTFILE=" + SyntaxQuoted(m_current->request.path) + ".");
        return;
    case EngineOp::SaveDictionary:
        if (!m_session.Available()) {
            m_server.Reply(task.client, ErrorReply(m_session.UnavailableMessage()));
            return;
        }
        if (m_pending.FileWritesPending()) {
            m_server.Reply(task.client, ErrorReply(kFileWritesPending));
            return;
        }
        // First only TEMPORARY: it fails, and nothing else runs, when the user's own
        // TEMPORARY still waits for its procedure or there is no dataset.
        m_current = std::move(task);
        m_purpose = Purpose::DictionaryProbe;
        m_session.RunBatch("TEMPORARY.");
        return;
    case EngineOp::Hello:
        m_server.Reply(task.client, HelloReply(automation::kProtocolVersion));
        return;
    default:
        Answer(task.client, request);
        return;
    }
}

void EngineHost::Answer(quint64 client, const EngineRequest& request) {
    switch (request.op) {
    case EngineOp::SetVisible: {
        QWidget* window = Window(request.kind);
        if (request.visible) {
            window->show();
            window->raise();
            window->activateWindow();
        } else {
            window->hide();
        }
        m_server.Reply(client, OkReply());
        return;
    }
    case EngineOp::SetWindowState: {
        // 0 normal, 1 minimised, 2 maximised; other numbers leave the window as it is.
        static constexpr Qt::WindowStates kStates[] = {Qt::WindowNoState, Qt::WindowMinimized,
                                                       Qt::WindowMaximized};
        if (request.state >= 0 && request.state <= 2) {
            Window(request.kind)->setWindowState(kStates[request.state]);
        }
        m_server.Reply(client, OkReply());
        return;
    }
    case EngineOp::BannerText:
        m_server.Reply(client, ValueReply(Window(request.kind)->windowTitle().toStdString()));
        return;
    case EngineOp::DocumentPath:
        m_server.Reply(client, ValueReply(m_dataPath));
        return;
    case EngineOp::Cancel:
        Cancel(client);
        return;
    case EngineOp::Note:
        m_output.AppendOutput("\n" + QString::fromStdString(request.text) + "\n");
        m_server.Reply(client, OkReply());
        return;
    default:
        m_server.Reply(client, ErrorReply("this operation waits its turn"));
        return;
    }
}

void EngineHost::ShowLineInEditor(int line) {
    // The editor that sent the latest run is the one whose text the lines are of.
    bool told = false;
    std::erase_if(m_watchers, [&](quint64 watcher) {
        if (m_server.PeerPid(watcher) != m_lastRunPid || m_lastRunPid == 0) {
            return false;
        }
        m_server.Reply(watcher, ValueReply("line\t" + std::to_string(line)));
        told = true;
        return true;
    });
    m_output.statusBar()->showMessage(
        told ? tr("Line %1 is shown in the editor.").arg(line)
             : tr("The message is about line %1 of the syntax the run sent.").arg(line));
}

void EngineHost::Cancel(quint64 client) {
    // Runs that have not begun never will; other requests keep their turn.
    const auto dropped = [](const Task& task) {
        return task.request.op == EngineOp::Execute || task.request.op == EngineOp::SaveAs ||
               task.request.op == EngineOp::SaveDictionary;
    };
    std::size_t count = 0;
    const auto drop = [&](auto& waiting) {
        for (const Task& task : waiting) {
            if (dropped(task)) {
                m_server.Reply(task.client, ErrorReply("The run was stopped before it began."));
                Queued(task, -1);
                ++count;
            }
        }
        std::erase_if(waiting, dropped);
    };
    drop(m_tasks);
    drop(m_arrivals);
    const bool running = m_current && m_purpose == Purpose::User && m_session.Busy();
    if (running) {
        m_stopping = true;
        m_output.AppendOutput("\nStopping the run...\n");
        m_session.Interrupt();
    } else if (count > 0) {
        m_output.AppendOutput("\nThe runs still waiting were dropped.\n");
    }
    m_server.Reply(client, ValueReply(running ? "stopping" : count > 0 ? "dropped" : "idle"));
}

void EngineHost::OnBatchFinished(const BatchResult& result) {
    const Purpose purpose = m_purpose;
    m_purpose = Purpose::User;
    if (purpose == Purpose::Variables) {
        const auto variables = ParseVariableTable(result.output);
        m_variables.clear();
        m_variables.reserve(static_cast<qsizetype>(variables.size()));
        for (const auto& variable : variables) {
            m_variables.push_back({QString::fromStdString(variable.name),
                                   QString::fromStdString(variable.label)});
        }
        m_data.SetDataset(QString::fromStdString(m_dataPath), m_variables);
    } else if (purpose == Purpose::CasesProbe || purpose == Purpose::CasesSave ||
               purpose == Purpose::CasesClose) {
        FinishCasesStep(purpose, result);
        if (m_purpose != Purpose::User) {
            return; // the next step runs
        }
    } else if (m_current) {
        const Task task = std::move(*m_current);
        m_current.reset();
        m_variablesStale = true;
        if (purpose == Purpose::SaveAs) {
            FinishSaveAs(task, result);
        } else if (purpose != Purpose::User) {
            FinishDictionaryStep(purpose, task, result);
        } else {
            FinishUserBatch(task, result);
        }
    }
    // The window has read the charts it shows by now: their files go, unless a client
    // took them.
    for (const OutputItem& item : result.items) {
        if (item.kind == OutputItem::Kind::Chart && !m_chartsHandedOver) {
            ::unlink(item.image.c_str());
        }
    }
    m_chartsHandedOver = false;
    // Later tasks start from the event loop, not inside PSPP's reader.
    QTimer::singleShot(0, this, &EngineHost::Pump);
}

void EngineHost::FinishCasesStep(Purpose purpose, const BatchResult& result) {
    switch (purpose) {
    case Purpose::CasesProbe:
        if (result.errors > 0) {
            m_data.SetCases(nullptr, Mentions(result, "may only appear once")
                                         ? tr("The cases show once a procedure has run the "
                                              "TEMPORARY transformations.")
                                         : QString());
            return;
        }
        // SAVE ends the TEMPORARY without a transformation: the dataset stays as it was.
        m_newCasesFile = m_casesFolder + "/cases-" + std::to_string(::getpid()) + "-" +
                         std::to_string(++m_casesFiles) + ".sav";
        m_purpose = Purpose::CasesSave;
        m_session.RunBatch("SAVE OUTFILE=" + SyntaxQuoted(m_newCasesFile) + ".");
        return;
    case Purpose::CasesSave: {
        if (result.errors > 0) {
            ::unlink(m_newCasesFile.c_str());
            m_data.SetCases(nullptr, QString::fromStdString(ErrorText(result)));
            // A SAVE that failed left our TEMPORARY open: a procedure closes it.
            m_purpose = Purpose::CasesClose;
            m_session.RunBatch("EXECUTE.");
            return;
        }
        std::string message;
        std::shared_ptr<spssio::CaseReader> reader = spssio::CaseReader::open(m_newCasesFile, message);
        m_data.SetCases(reader, reader ? QString() : QString::fromStdString(message));
        // The window reads the new copy now; the old one goes.
        if (!m_casesFile.empty()) {
            ::unlink(m_casesFile.c_str());
        }
        m_casesFile = reader ? m_newCasesFile : std::string();
        m_casesChanged = !reader;
        if (!reader) {
            ::unlink(m_newCasesFile.c_str());
        }
        return;
    }
    default:
        return;
    }
}

void EngineHost::FinishUserBatch(const Task& task, const BatchResult& result) {
    m_runShown = false;
    if (m_stopping) {
        m_stopping = false;
        if (result.ok || result.error == "The run was stopped.") {
            m_output.AppendOutput("The run was stopped; PSPP kept its data. Commands PSPP had "
                                  "already read may have run: see above.\n");
        }
    }
    // The commands as PSPP read them from the batch file.
    const std::string batch = BatchFileText(task.request.text);
    TrackDataset(batch, SyntaxMode::Interactive, result, 0, task.request.folder);
    ShowDataset();
    if (!result.ok && result.error == kBlockOpenMessage) {
        const std::string block = OpenBlockOf(batch);
        const std::string text =
            block.empty() ? std::string("An earlier run left a block open. ") + kBlockOpenMessage
                          : "This run leaves its " + block + " open. " + kBlockOpenMessage;
        m_output.AppendOutput(QString::fromStdString("\n" + text + "\n"));
        m_server.Reply(task.client, ErrorReply(text));
    } else if (!result.ok) {
        m_server.Reply(task.client, ErrorReply(result.error));
    } else if (task.request.report || task.request.messages || task.request.wait) {
        RunReport report{result.output, static_cast<std::int64_t>(result.errors),
                         static_cast<std::int64_t>(result.warnings),
                         EncodeEngineMessages(EngineMessages(result))};
        std::string html;
        if (task.request.items && task.request.pieces) {
            // The client takes the chart files over, and removes them.
            html = ItemsHtml(result.items);
            report.html = html;
            for (const OutputItem& item : result.items) {
                if (item.kind == OutputItem::Kind::Chart) {
                    report.charts += item.image + "\n";
                }
            }
            m_chartsHandedOver = true;
        }
        m_server.Reply(task.client, RunReply(task.request, report));
    }
}

void EngineHost::FinishSaveAs(const Task& task, const BatchResult& result) {
    if (!result.ok) {
        m_server.Reply(task.client, ErrorReply(result.error));
        return;
    }
    if (result.errors > 0) {
        m_server.Reply(task.client, ErrorReply(ErrorText(result)));
        return;
    }
    m_dataPath = Absolute(task.request.path);
    ShowDataset();
    m_server.Reply(task.client, OkReply());
}

void EngineHost::FinishDictionaryStep(Purpose purpose, Task task, const BatchResult& result) {
    if (!result.ok) {
        ::unlink(m_dictionaryFile.c_str());
        m_server.Reply(task.client, ErrorReply(result.error));
        return;
    }
    switch (purpose) {
    case Purpose::DictionaryProbe:
        if (result.errors > 0) {
            // Nothing was changed; say why there is no dictionary.
            if (Mentions(result, "only after the active dataset has been defined")) {
                m_server.Reply(task.client, ValueReply(""));
            } else if (Mentions(result, "may only appear once")) {
                m_server.Reply(task.client, ErrorReply(kTemporaryPending));
            } else {
                m_server.Reply(task.client, ErrorReply(ErrorText(result)));
            }
            return;
        }
        // The dictionary without its cases; SAVE ends the TEMPORARY, so the dataset
        // itself keeps every case.
        m_dictionaryFile = m_session.WorkFolder() + "/dict-" + std::to_string(::getpid()) + "-" +
                           std::to_string(++m_dictionaryFiles) + ".sav";
        m_current = std::move(task);
        m_purpose = Purpose::DictionarySave;
        m_session.RunBatch("SELECT IF 0.\nSAVE OUTFILE=" + SyntaxQuoted(m_dictionaryFile) + ".");
        return;
    case Purpose::DictionarySave:
        if (result.errors > 0) {
            ::unlink(m_dictionaryFile.c_str());
            m_server.Reply(task.client, ErrorReply(ErrorText(result)));
            // A SAVE that failed left our TEMPORARY open: a procedure closes it, so that
            // the user's next transformations stay permanent.
            m_current = std::move(task);
            m_current->client = 0;
            m_purpose = Purpose::CloseTemporary;
            m_session.RunBatch("EXECUTE.");
            return;
        }
        m_server.Reply(task.client, ValueReply(m_dictionaryFile));
        return;
    default:
        return;
    }
}

void EngineHost::TrackDataset(std::string_view text, SyntaxMode mode, const BatchResult& result,
                              int depth, const std::string& folder) {
    for (const SyntaxCommand& command : SplitCommands(text, mode)) {
        if (!LeavesCasesAlone(command.text)) {
            m_casesChanged = true;
        }
        m_pending.NoteCommand(command.text, true);
        const DatasetChange change = DatasetChangeOf(command.text);
        switch (change.kind) {
        case DatasetChange::Kind::None:
            break;
        case DatasetChange::Kind::Replaced:
            m_dataPath.clear();
            break;
        case DatasetChange::Kind::Opened: {
            // A GET that failed leaves the dataset as it was; PSPP names the file in an
            // error then. A warning naming it (a file that states no encoding) is no failure.
            const std::string path = Absolute(change.path, folder);
            std::error_code error;
            const auto namesFile = [&](const PsppMessage& message) {
                return message.severity == PsppMessage::Severity::Error &&
                       (message.text.find("`" + change.path + "'") != std::string::npos ||
                        message.text.find("`" + path + "'") != std::string::npos);
            };
            const bool failed = !std::filesystem::is_regular_file(path, error) ||
                                std::any_of(result.messages.begin(), result.messages.end(),
                                            namesFile);
            if (!failed) {
                m_dataPath = path;
            }
            break;
        }
        case DatasetChange::Kind::Included:
            if (depth < kMaxIncludeDepth) {
                if (const auto content = SmallRegularFile(Absolute(change.path, folder))) {
                    TrackDataset(*content, change.syntax, result, depth + 1, folder);
                }
            }
            break;
        }
    }
}

std::string EngineHost::Absolute(const std::string& path, const std::string& folder) const {
    std::filesystem::path p(path);
    if (p.is_relative() && !folder.empty()) {
        p = std::filesystem::path(folder) / p;
    } else if (p.is_relative()) {
        // Relative names mean what they mean to PSPP, in its working folder.
        std::error_code error;
        std::filesystem::path base =
            std::filesystem::read_symlink("/proc/" + std::to_string(m_session.Pid()) + "/cwd", error);
        if (error || m_session.Pid() <= 0) {
            base = std::filesystem::current_path(error);
        }
        p = base / p;
    }
    return p.lexically_normal().string();
}

void EngineHost::ShowDataset() {
    m_data.SetDataset(QString::fromStdString(m_dataPath), m_variables);
    m_variablesStale = true;
}

void EngineHost::OnSessionEnded(const QString& message) {
    m_output.AppendOutput("\n" + message + "\n");
    m_dataPath.clear();
    m_variables.clear();
    m_casesChanged = true;
    ShowDataset();
}

} // namespace qs::engine
