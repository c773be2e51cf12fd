// The recording double of the engine's application interface.
#include "support/FakeSpssApp.h"

namespace qs::test {
namespace {

using automation::ISpssDocument;

class FakeDocument : public ISpssDocument {
public:
    FakeDocument(std::shared_ptr<FakeSpssState> state, std::int32_t kind)
        : m_state(std::move(state)), m_kind(kind) {}

    void SetVisible(bool visible) override {
        m_state->Record("SetVisible",
                        std::string("SetVisible(") + (visible ? "true" : "false") + ")");
    }
    void SetWindowState(std::int32_t state) override {
        m_state->Record("SetWindowState", "SetWindowState(" + std::to_string(state) + ")");
    }
    std::string GetBannerText() override {
        m_state->Record("GetBannerText", "GetBannerText()");
        const auto it = m_state->banners.find(m_kind);
        return it == m_state->banners.end() ? std::string() : it->second;
    }
    std::string GetDocumentPath() override {
        m_state->Record("GetDocumentPath", "GetDocumentPath()");
        return m_state->documentPath;
    }
    void SaveAs(const std::string& path) override {
        m_state->Record("SaveAs", "SaveAs(" + path + ")");
    }

private:
    std::shared_ptr<FakeSpssState> m_state;
    std::int32_t m_kind;
};

class FakeDocuments : public automation::ISpssDocuments {
public:
    explicit FakeDocuments(std::shared_ptr<FakeSpssState> state) : m_state(std::move(state)) {}

    std::unique_ptr<ISpssDocument> GetDataDoc(std::int32_t index) override {
        m_state->Record("GetDataDoc", "GetDataDoc(" + std::to_string(index) + ")");
        return std::make_unique<FakeDocument>(m_state, 0);
    }

private:
    std::shared_ptr<FakeSpssState> m_state;
};

} // namespace

void FakeSpssState::FailCall(const std::string& call, const std::string& error) {
    std::lock_guard lock(m_mutex);
    m_failures[call] = error;
}

std::vector<std::string> FakeSpssState::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

void FakeSpssState::Record(const std::string& call, const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_log.push_back(line);
    if (const auto it = m_failures.find(call); it != m_failures.end()) {
        throw automation::EAutomationError(it->second);
    }
}

void FakeSpssApp::ExecuteCommands(const std::string& commands, bool wait) {
    m_state->Record("ExecuteCommands",
                    "ExecuteCommands(" + commands + ", " + (wait ? "true" : "false") + ")");
}

std::unique_ptr<automation::ISpssDocuments> FakeSpssApp::Documents() {
    m_state->Record("Documents", "Documents()");
    return std::make_unique<FakeDocuments>(m_state);
}

std::unique_ptr<automation::ISpssDocument> FakeSpssApp::GetOutputDoc() {
    m_state->Record("GetOutputDoc", "GetOutputDoc()");
    return std::make_unique<FakeDocument>(m_state, 1);
}

std::unique_ptr<automation::ISpssDocument> FakeSpssApp::GetDesignerDoc() {
    m_state->Record("GetDesignerDoc", "GetDesignerDoc()");
    return std::make_unique<FakeDocument>(m_state, 2);
}

} // namespace qs::test
