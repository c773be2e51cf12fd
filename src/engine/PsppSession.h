// One PSPP process on a pseudo-terminal. It runs batches of syntax one at a time: each
// batch is written to a file that PSPP inserts, followed by a marker command; PSPP
// prints a command's output only when the next command starts, so the prompt after
// the marker says that everything the batch printed has arrived.
#pragma once

#include "engine/OutputItem.h"
#include "engine/PsppHtmlItems.h"
#include "engine/PsppTranscript.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace qs::engine {

// The error of a batch that left a block open (BatchResult::error).
extern const char* const kBlockOpenMessage;

struct BatchResult {
    bool ok = true;        // false: the batch could not run to its end
    std::string error;     // why, for the user
    std::string output;    // what PSPP printed for it (LF line ends)
    std::vector<PsppMessage> messages;
    std::size_t errors = 0;
    std::size_t warnings = 0;
    // The same output as items (tables, charts, texts, messages); chart images are files
    // in the work folder that the receiver takes over.
    OutputItems items;
};

class PsppSession : public QObject {
    Q_OBJECT
public:
    // Batches longer than this run without their commands printed back as headings.
    static constexpr std::size_t kPrintbackBytes = 256 * 1024;

    // `program`: the PSPP executable, empty when none was found (then every batch fails
    // with MissingMessage()); `workFolder`: a private folder for the batch files.
    PsppSession(std::string program, std::string workFolder, QObject* parent = nullptr);
    ~PsppSession() override;

    // Starts PSPP; batches given before it is ready wait for its first prompt.
    void Start();
    // Ends PSPP: FINISH, then signals if it does not go.
    void Stop();

    // Runs `syntax`; BatchFinished follows exactly once. Only one batch at a time.
    // `folder`, when given, is what relative file names mean for this batch alone.
    // `place` says where the syntax stands in the editor's document: messages are numbered
    // as lines of that document.
    void RunBatch(const std::string& syntax, const std::string& folder = {},
                  const MessagePlace& place = {});
    bool Busy() const { return m_running; }
    // Stops the running batch: what is left of its file is cut off and PSPP is
    // interrupted. A PSPP that is back at its prompt soon keeps its data, and the batch
    // finishes as stopped; one that is not is ended and started anew (SessionEnded).
    void Interrupt();
    // The private folder of the batch files; the engine's own files go there too.
    const std::string& WorkFolder() const { return m_workFolder; }
    bool Available() const { return !m_program.empty() && !m_gaveUp; }
    pid_t Pid() const { return m_pid; }
    // The one sentence that says PSPP cannot run here.
    std::string UnavailableMessage() const;

signals:
    // Output of the running batch as it arrives.
    void Output(const QString& text);
    // The running batch's items as they arrive (they come again in its BatchResult); the
    // chart files are there until BatchFinished has been handled.
    void ItemsArrived(const qs::engine::OutputItems& items);
    void BatchFinished(const qs::engine::BatchResult& result);
    // PSPP ended and a new session was started (or could not be): a sentence for the user.
    void SessionEnded(const QString& message);

private:
    void OnReadable();
    void OnHtmlReadable();
    // Reads up to `limit` bytes of the HTML that has come, into the batch's items.
    void DrainHtml(std::size_t limit);
    // Finishes the batch whose text is all in, once its items are too.
    void FinishWhenItemsAreIn();
    void OpenHtmlTerminal();
    void OnEnded();
    void CheckAlive();
    void SendSetup();
    void SendBatch();
    void Finish(BatchResult result);
    bool WriteAll(std::string_view bytes);
    void TypeMarker(std::string_view extra);
    void Kill();

    std::string m_program;
    std::string m_workFolder;
    std::string m_batchName; // in the work folder
    std::string m_batchFile; // as PSPP names it, through its descriptor of the folder
    int m_folderFd = -1;     // the work folder, held open
    std::string m_startFolder; // where relative file names point
    pid_t m_pid = -1;
    int m_master = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    // PSPP's HTML output comes through a second terminal (line-buffered there, so each
    // item arrives as it is made), named by a link in the work folder.
    int m_htmlMaster = -1;
    int m_htmlSlave = -1; // held, so that the terminal stays while PSPP restarts
    std::unique_ptr<QSocketNotifier> m_htmlNotifier;
    PsppHtmlItems m_html;
    OutputItems m_items;
    bool m_htmlCheckSeen = false;
    std::string m_checkMarker; // the text of the running batch's check
    std::string m_nonceText;   // m_nonce as the markers write it    // the batch's check item came through the HTML
    std::optional<BatchResult> m_textDone; // the batch's text is in; its items may not be
    QTimer m_itemsDeadline;
    PsppTranscript m_transcript;
    bool m_ready = false;   // PSPP waits at its prompt
    bool m_running = false; // a batch is out
    bool m_sent = false;    // its lines were typed
    bool m_settingUp = false;
    std::string m_pending;  // the running batch's syntax
    std::string m_folder;   // its folder for relative names; empty: the start folder
    MessagePlace m_place;   // where its syntax stands in the editor's document
    // What the engine typed lately: PSPP prints those commands back too.
    std::vector<std::string> m_typedCommands;
    std::string m_output;
    std::uint64_t m_nonce = 0;
    std::uint64_t m_batchNo = 0;
    QTimer m_watch;
    bool m_reaped = false;
    int m_reapedStatus = 0;
    int m_quickDeaths = 0;
    bool m_trace = false; // QUILLSTONE_ENGINE_TRACE: the terminal's traffic on stderr
    bool m_interrupted = false; // the running batch is being stopped
    QTimer m_interruptDeadline;
    bool m_gaveUp = false;
    std::string m_gaveUpWhy;
    std::chrono::steady_clock::time_point m_startedAt;
};

} // namespace qs::engine
