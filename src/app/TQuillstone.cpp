#include "app/TQuillstone.h"

#include "spss/SPSSConnection.h"
#include "spss/SPSSJobEngine.h"

#include <memory>

namespace qs {

TQuillstone::TQuillstone(TSPSSJobEngine& engine, TSPSSAppFactory factory, TSPSSUiHooks uiHooks)
    : m_engine(&engine), m_connect(factory.GetActive), m_uiHooks(std::move(uiHooks)) {
    m_engine->AddJob(std::make_unique<TSPSSAttachJob>(std::move(factory)));
    SubmitShowJob();
}

void TQuillstone::SubmitShowJob() {
    m_engine->AddJob(std::make_unique<TSPSSShowHideDocument>(true, 0, 0, m_uiHooks));
}

bool TQuillstone::RunSyntax(const std::string& syntax,
                            TSPSSSyntaxJob::MessagesHandler onMessages, long firstLine) {
    return m_engine != nullptr &&
           m_engine->AddJob(std::make_unique<TSPSSSyntaxJob>(syntax, std::move(onMessages),
                                                             firstLine + 1, m_pending));
}

bool TQuillstone::RefreshDataFile(TSPSSDataFileJob::ResultHandler onResult) {
    if (m_engine == nullptr) {
        return false;
    }
    const std::uint64_t generation = ++*m_queries;
    return m_engine->AddJob(
        std::make_unique<TSPSSDataFileJob>(m_queries, generation, std::move(onResult), m_pending));
}

std::string TQuillstone::StopRuns() {
    if (m_engine == nullptr) {
        return "Nothing runs";
    }
    const std::size_t dropped = m_engine->DropPending();
    // The worker may be waiting for the run: the engine is asked on a connection of
    // our own, which it answers at once.
    std::string engine;
    try {
        const std::unique_ptr<automation::ISpssApp> app =
            m_connect ? m_connect() : automation::GetActiveSpssApp();
        if (app && !app->StopRuns()) {
            engine = "; the engine cannot stop a run";
        }
    } catch (const std::exception& e) {
        engine = std::string("; the engine was not reached: ") + e.what();
    }
    return "Run stopped" +
           (dropped > 0 ? " (" + std::to_string(dropped) + " waiting job" +
                              (dropped == 1 ? "" : "s") + " dropped)"
                        : std::string()) +
           engine;
}

bool TQuillstone::Busy() const {
    return m_engine != nullptr && !m_engine->Idle();
}

void TQuillstone::NewDataFile() {
    if (m_engine != nullptr) {
        RunSyntax("NEW FILE.");
        SubmitShowJob();
    }
}

void TQuillstone::OpenDataFile(const std::string& path) {
    if (m_engine != nullptr) {
        RunSyntax(GetFileCommand(path));
        SubmitShowJob();
    }
}

std::string TQuillstone::GetActiveDataFilePath() {
    std::string path;
    if (m_engine != nullptr) {
        ActiveDataFileHooks hooks = DefaultActiveDataFileHooks(ShowMessage);
        if (m_connect) {
            hooks.connect = m_connect;
        }
        qs::GetActiveDataFilePath(path, hooks);
    }
    return path;
}

std::string TQuillstone::GetFileCommand(const std::string& path) {
    return "GET FILE='" + DoubledQuotes(path, '\'') + "'.";
}

} // namespace qs
