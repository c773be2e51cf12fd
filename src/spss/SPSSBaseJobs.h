// The units of work the editor gives the statistics engine: running syntax, showing a
// document window, attaching to the engine. They are built on the UI thread and run on
// the job engine's worker, which passes each its one application reference.
#pragma once

#include "platform/automation/Automation.h"
#include "spss/CommandEffects.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qs {

// The text with every `quote` written twice: how the engine reads a quote inside a text
// between quotes, so that a file name can neither end the text nor add commands.
std::string DoubledQuotes(const std::string& text, char quote);

// An error a job raises itself; Run records it like an automation error.
class ESPSSJobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TSPSSJob {
public:
    virtual ~TSPSSJob() = default;

    // Runs Execute and records an automation or job error instead of passing it on;
    // any other exception is the engine's business.
    void Run(std::unique_ptr<automation::ISpssApp>& App);

    bool Finished = false;
    std::string ErrorMessage;
    // The engine was gone before the job's request reached it: nothing ran, and the job
    // may run again on a new engine.
    bool ConnectionLost = false;

protected:
    // App is the engine's own reference, so a job may set it.
    virtual void Execute(std::unique_ptr<automation::ISpssApp>& App) = 0;
};

// The engine's messages with their lines counted in the text that was run. A message on
// a line of `includeFile`, the file that carried the text, is on that line of the text;
// one on the command that included it is on none (0). Other files' messages stay as
// they are.
std::vector<automation::EngineMessage> MessagesInText(std::vector<automation::EngineMessage> messages,
                                                      const std::string& includeFile);

class TSPSSSyntaxJob : public TSPSSJob {
public:
    // Gets the run's messages placed in the text (MessagesInText), or nullopt when the
    // engine does not tell them; called on the worker once the text has run.
    using MessagesHandler =
        std::function<void(std::optional<std::vector<automation::EngineMessage>> messages)>;

    // `firstLine` is the document line (1-based) the text starts on; `pending`, when
    // given, follows what the text leaves waiting for a procedure.
    explicit TSPSSSyntaxJob(std::string syntaxText, MessagesHandler onMessages = {},
                            std::int64_t firstLine = 1,
                            std::shared_ptr<TPendingTransformations> pending = {});

    // A new empty file private to the user in the temporary folder; raises ESPSSJobError
    // "Win32 Error %d: %s" when none can be made.
    static std::string MakeTempFileName(const std::string& Prefix);

    const std::string SyntaxText;

    // Longer texts go through an include file, as the engine takes only so much at once.
    static constexpr std::size_t kDirectLimit = 768;

protected:
    void Execute(std::unique_ptr<automation::ISpssApp>& App) override;

private:
    void Report(std::optional<std::vector<automation::EngineMessage>> messages,
                const std::string& includeFile) const;

    void Send(std::unique_ptr<automation::ISpssApp>& App);
    MessagesHandler m_OnMessages;
    std::int64_t m_FirstLine = 1;
    std::shared_ptr<TPendingTransformations> m_Pending;
};

// What a show job must do on the UI thread; the UI posts these to its own thread.
struct TSPSSUiHooks {
    std::function<void()> SetBusyCursor;
    std::function<void()> RestoreCursor;
    std::function<void(const std::string& Title)> BringWindowToFront;
};

class TSPSSShowHideDocument : public TSPSSJob {
public:
    TSPSSShowHideDocument(bool show, std::int32_t documentKind, std::int32_t windowState,
                          TSPSSUiHooks hooks = {});

    const bool Show;
    const std::int32_t DocumentKind; // 0 data, 1 output, 2 designer
    const std::int32_t WindowState;  // -1 leaves it unchanged

protected:
    void Execute(std::unique_ptr<automation::ISpssApp>& App) override;

private:
    TSPSSUiHooks m_Hooks;
};

// What the data file query found: the data document's own path (for display only; its
// file is never written), and a private file holding the active dataset's dictionary.
struct TDataFileQuery {
    std::string Path;           // the document's path, "Untitled" when never saved
    std::string DictionaryFile; // to read, then remove; empty when there is no data
    std::string Error;          // why there is no answer; empty when there is one
};

// Asks the engine for its data document's path and a private copy of its dictionary.
// Queued behind the runs before it, so it sees what they did; one that a newer query
// has overtaken does nothing.
class TSPSSDataFileJob : public TSPSSJob {
public:
    using ResultHandler = std::function<void(TDataFileQuery Result)>;
    // `latest` counts the queries made; this one is the `generation`th. With `pending`
    // (what the syntax jobs sent leaves waiting), an engine that does not guard its
    // dictionary copy itself gets no such request while the copy would run the user's
    // TEMPORARY or file-writing transformations.
    TSPSSDataFileJob(std::shared_ptr<std::atomic<std::uint64_t>> latest, std::uint64_t generation,
                     ResultHandler onResult,
                     std::shared_ptr<const TPendingTransformations> pending = {});

protected:
    void Execute(std::unique_ptr<automation::ISpssApp>& App) override;

private:
    std::shared_ptr<std::atomic<std::uint64_t>> m_Latest;
    std::uint64_t m_Generation;
    ResultHandler m_OnResult;
    std::shared_ptr<const TPendingTransformations> m_Pending;
};

// How the attach job reaches an engine. Until the automation client is linked into the
// program, an unset member raises EAutomationError("Operation unavailable").
struct TSPSSAppFactory {
    std::function<std::unique_ptr<automation::ISpssApp>()> GetActive; // the running one
    std::function<std::unique_ptr<automation::ISpssApp>()> Create;    // start a new one
};

class TSPSSAttachJob : public TSPSSJob {
public:
    explicit TSPSSAttachJob(TSPSSAppFactory factory = {});

protected:
    void Execute(std::unique_ptr<automation::ISpssApp>& App) override;

private:
    TSPSSAppFactory m_Factory;
};

} // namespace qs
