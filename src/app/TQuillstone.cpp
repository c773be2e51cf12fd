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

void TQuillstone::RunSyntax(const std::string& syntax,
                            TSPSSSyntaxJob::MessagesHandler onMessages) {
    if (m_engine != nullptr) {
        m_engine->AddJob(std::make_unique<TSPSSSyntaxJob>(syntax, std::move(onMessages)));
    }
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
        // The answer must include what was sent before it: a GET or a run still waiting
        // in the queue would otherwise reach the engine after the question.
        m_engine->WaitIdle();
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
