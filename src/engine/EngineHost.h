// The engine's work: requests from the socket become PSPP batches and window changes,
// one at a time in the order they arrived; the data document's file is tracked from the
// commands that ran.
#pragma once

#include "engine/EngineProtocol.h"
#include "engine/PsppSession.h"

#include "engine/forms/DataWindow.h"
#include "spss/CommandEffects.h"
#include "spss/CommandSplitter.h"

#include <QList>
#include <QObject>

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QWidget;

namespace qs {
class OutputWindow;
} // namespace qs

namespace qs::engine {

class EngineServer;

class EngineHost : public QObject {
    Q_OBJECT
public:
    EngineHost(EngineServer& server, PsppSession& session, OutputWindow& output, DataWindow& data,
               QObject* parent = nullptr);
    // Removes the dictionary files that no client took.
    ~EngineHost() override;

    const std::string& DataPath() const { return m_dataPath; }

signals:
    // Every window of the engine has been closed by the user.
    void AllWindowsClosed();

private:
    // What the running batch is for: the user's syntax, or one step of an engine request.
    enum class Purpose {
        User,
        SaveAs,
        Variables,
        DictionaryProbe,
        DictionarySave,
        CloseTemporary,
        CasesProbe, // the Data window's copy of the cases, while idle
        CasesSave,
        CasesClose,
    };
    struct Task {
        quint64 client = 0;
        EngineRequest request;
    };

    void OnRequest(quint64 client, const QByteArray& line);
    void OnClientGone(quint64 client);
    void OnBatchFinished(const BatchResult& result);
    // The idle steps that copy the dataset's cases for the Data window.
    void FinishCasesStep(Purpose purpose, const BatchResult& result);
    void RemoveLeftCopies();
    bool RoomForCases(); // else says why in the Data window
    void OnSessionEnded(const QString& message);
    void TakeArrivals();
    // Counts a request of `client` into (+1) or out of (-1) the queue; a client with many
    // waiting is read no further until they have run.
    void Queued(const Task& task, int change);
    void Pump();
    void Run(Task task);
    void FinishUserBatch(const Task& task, const BatchResult& result);
    void FinishSaveAs(const Task& task, const BatchResult& result);
    void FinishDictionaryStep(Purpose purpose, Task task, const BatchResult& result);
    void Answer(quint64 client, const EngineRequest& request);
    void Cancel(quint64 client);
    // Asks the editor that sent the latest run to show `line` (1-based) of its text.
    void ShowLineInEditor(int line);
    // Follows the dataset through `text`, read as PSPP reads it in `mode`.
    void TrackDataset(std::string_view text, SyntaxMode mode, const BatchResult& result,
                      int depth, const std::string& folder);
    void ShowDataset();
    QWidget* Window(std::int64_t kind) const;
    // `path` as PSPP reads it: relative to `folder` when given, else to PSPP's folder.
    std::string Absolute(const std::string& path, const std::string& folder = {}) const;

    EngineServer& m_server;
    PsppSession& m_session;
    OutputWindow& m_output;
    DataWindow& m_data;
    std::set<quint64> m_greeted;
    std::vector<Task> m_arrivals; // read in this wake-up, not yet queued
    std::deque<Task> m_tasks;
    std::optional<Task> m_current;
    struct Backlog {
        std::size_t requests = 0;
        std::size_t bytes = 0;
    };
    std::map<quint64, Backlog> m_backlog; // waiting requests by client

    Purpose m_purpose = Purpose::User;
    std::string m_dataPath;
    QList<DataWindowVariable> m_variables;
    bool m_variablesStale = true;
    bool m_casesStale = true;
    // A run may have changed the cases since the Data window's copy was made: copying a
    // large dataset again after each analysis would keep PSPP busy for seconds.
    bool m_casesChanged = true;
    // The user's runs left a WRITE, PRINT, XSAVE or XEXPORT that no procedure has run yet.
    // (PSPP itself says when a TEMPORARY of theirs waits.)
    qs::TPendingTransformations m_pending;
    // The private copy of the cases the Data window reads, and the one being written.
    std::string m_casesFolder; // on disk: a dataset's copy may be larger than the memory
    std::string m_casesFile;
    std::string m_newCasesFile;
    int m_casesFiles = 0;
    std::string m_dictionaryFile; // the file the running dictionary save writes
    std::uint64_t m_dictionaryFiles = 0;
    bool m_stopping = false; // the user's run is being stopped
    bool m_chartsHandedOver = false; // the finished run's chart files went to its client
    std::vector<quint64> m_watchers; // clients waiting to be told a line to show
    pid_t m_lastRunPid = 0;          // the process that sent the latest run
    bool m_runShown = false;         // the running batch has its heading in the Output window
    int m_runs = 0;
};

} // namespace qs::engine
