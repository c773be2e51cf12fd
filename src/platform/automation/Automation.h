// The statistics engine's application object as the editor drives it: running command
// text, and the few document operations the editor needs. One interface, several
// implementations: a local-socket client of quillstone-engine (Linux), the engine's
// automation server (Windows), and a recording double for tests.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qs::automation {

// A failed call: the engine's own error text, or what went wrong on the way to it.
class EAutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The engine was gone before the request reached it: nothing of the request ran, so it
// may be sent again to a new engine.
class EConnectionLost : public EAutomationError {
public:
    using EAutomationError::EAutomationError;
};

// The text of the error that says no engine is running ("active object" not found).
inline constexpr const char* kOperationUnavailable = "Operation unavailable";

// A message the engine reported for a run, with the place it names.
struct EngineMessage {
    enum class Severity { Error, Warning, Note };
    Severity severity = Severity::Error;
    std::string file;      // the file it names; empty: the text that was run
    std::int64_t line = 0; // 1-based line of that text or file; 0 when none is named
    std::string text;      // from the severity on: "error: FREQUENCIES: ..."
};

// One document window of the engine.
class ISpssDocument {
public:
    virtual ~ISpssDocument() = default;
    virtual void SetVisible(bool visible) = 0;           // "Visible" (property put)
    virtual void SetWindowState(std::int32_t state) = 0; // "WindowState" (property put)
    virtual std::string GetBannerText() = 0;             // the title of its window
    virtual std::string GetDocumentPath() = 0;           // empty when never saved
    virtual void SaveAs(const std::string& path) = 0;
    // A new file private to the user that holds the document's dictionary (its cases
    // need not be there), written by the engine without touching the document's own
    // file; the caller removes it. Empty when the document holds no data.
    virtual std::string SaveDictionaryCopy() {
        throw EAutomationError("this engine cannot save a copy of its dictionary");
    }
};

// The engine's collection of documents.
class ISpssDocuments {
public:
    virtual ~ISpssDocuments() = default;
    // The data document; the editor always asks for index 0.
    virtual std::unique_ptr<ISpssDocument> GetDataDoc(std::int32_t index) = 0;
};

// Where a run's text stands in the editor's document, so that the engine can name the
// lines of its messages as the user sees them.
struct RunPlace {
    std::int64_t firstLine = 1; // the document line (1-based) of the text's first line
    std::string textFile;       // a file the text was written to and included from, if any
};

// The engine's application object.
class ISpssApp {
public:
    virtual ~ISpssApp() = default;
    // Runs the text; with wait set, returns once the engine has run it (or at least read
    // any file it includes).
    virtual void ExecuteCommands(const std::string& commands, bool wait) = 0;
    // Runs the text, waits for it and returns the messages reported for it; nullopt from
    // an engine that does not tell them (the automation server has no such call).
    virtual std::optional<std::vector<EngineMessage>> ExecuteCommandsReporting(
        const std::string& commands, const RunPlace& place = {}) {
        (void)place;
        ExecuteCommands(commands, true);
        return std::nullopt;
    }
    virtual std::unique_ptr<ISpssDocuments> Documents() = 0;
    // The two further documents, of kinds 1 and 2.
    virtual std::unique_ptr<ISpssDocument> GetOutputDoc() = 0;  // kind 1
    virtual std::unique_ptr<ISpssDocument> GetDesignerDoc() = 0; // kind 2
    // Whether the engine itself refuses to copy its dictionary while the copy would run the
    // user's pending TEMPORARY or file-writing transformations; when it does not, the
    // editor holds such a copy back by the syntax it has sent.
    virtual bool GuardsPendingTransformations() const { return false; }
    // Stops the run in progress and drops the runs still waiting; false when the engine
    // cannot stop runs.
    virtual bool StopRuns() { return false; }
    // Shows a line of the editor's in the engine's output.
    virtual void Note(const std::string& text) { (void)text; }
    // Ends a call that another thread is blocked in, which then fails; callable from any
    // thread while the object lives.
    virtual void Interrupt() {}
};

// How a connection reaches the application's documents: the worker's connection through
// the early-bound interface, the main thread's short one by name. Only the automation
// server makes the difference.
enum class Binding { Early, ByName };
// The engine that runs now; raises EAutomationError(kOperationUnavailable) when none does.
std::unique_ptr<ISpssApp> GetActiveSpssApp(Binding binding = Binding::Early);
// The creator class of the automation server: starts a new engine and connects to it.
class CoSPSSApplication {
public:
    static std::unique_ptr<ISpssApp> Create();
};

} // namespace qs::automation
