// The application object: one per process, it turns the window's requests into jobs for
// the statistics engine, run in order by the program-wide job engine. Built without an
// engine it does nothing, which is what the window tests use.
#pragma once

#include "spss/SPSSBaseJobs.h"

#include <functional>
#include <string>

namespace qs {

class TSPSSJobEngine;

class TQuillstone {
public:
    TQuillstone() = default;
    // Submits the attach job and the show job (Create).
    TQuillstone(TSPSSJobEngine& engine, TSPSSAppFactory factory, TSPSSUiHooks uiHooks);
    virtual ~TQuillstone() = default;
    TQuillstone(const TQuillstone&) = delete;
    TQuillstone& operator=(const TQuillstone&) = delete;

    std::string FileName;
    std::string DataFileName;
    std::string RegistryKey;
    // Shows a message box for the data-file query; set by the window.
    std::function<void(const std::string&)> ShowMessage;

    // Sends syntax to the engine to be run in order; `onMessages` gets the messages the
    // engine reported for it, on the job worker's thread.
    // False when the job engine has ended, so that the text will not run.
    // `firstLine` (0-based) is the document line the text starts on.
    virtual bool RunSyntax(const std::string& syntax, TSPSSSyntaxJob::MessagesHandler onMessages,
                           long firstLine = 0);
    bool RunSyntax(const std::string& syntax) { return RunSyntax(syntax, {}); }
    virtual void NewDataFile();
    virtual void OpenDataFile(const std::string& path);
    // The path of the engine's active data file, "Untitled", or ""; raises EAbort when no
    // engine runs. Nothing is written: the file stays as the user left it.
    virtual std::string GetActiveDataFilePath();
    // Queues a data file query behind the jobs already submitted; `onResult` gets its
    // answer on the job worker's thread, unless a newer query overtakes it. False when the
    // query will not run.
    virtual bool RefreshDataFile(TSPSSDataFileJob::ResultHandler onResult);
    // Stops the run in progress in the engine and drops the jobs still waiting here.
    // Returns a sentence for the status bar.
    virtual std::string StopRuns();
    // A run or query is waiting or in progress.
    virtual bool Busy() const;
    // "GET FILE='path'." with every single quote of the path doubled, so that a quote in a
    // file name neither breaks the command nor adds commands of its own.
    static std::string GetFileCommand(const std::string& path);

private:
    void SubmitShowJob();

    TSPSSJobEngine* m_engine = nullptr;
    // The main thread's own connection for the data-file query.
    std::function<std::unique_ptr<automation::ISpssApp>()> m_connect;
    TSPSSUiHooks m_uiHooks;
    // What the runs sent leave waiting for a procedure; only the worker touches it.
    std::shared_ptr<TPendingTransformations> m_pending = std::make_shared<TPendingTransformations>();
    std::shared_ptr<std::atomic<std::uint64_t>> m_queries =
        std::make_shared<std::atomic<std::uint64_t>>(0);
};

} // namespace qs
