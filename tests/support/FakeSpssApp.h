// The engine's application interface as an in-process double: every call is written to a
// shared log as one line ("GetDataDoc(0)", "SaveAs(/p)"), results come from settings,
// and any call can be told to fail with a given error text.
#pragma once

#include "platform/automation/Automation.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qs::test {

// What the double answers and what it saw; shared by the application and its documents,
// which may be called from the job worker and the UI thread alike.
class FakeSpssState {
public:
    std::string documentPath;                    // what GetDocumentPath returns
    std::map<std::int32_t, std::string> banners; // GetBannerText per document kind

    // From now on `call` (e.g. "SaveAs") is logged and then raises `error`.
    void FailCall(const std::string& call, const std::string& error);
    std::vector<std::string> Log() const;

    // Logs `line` and raises when `call` is set to fail.
    void Record(const std::string& call, const std::string& line);

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_log;
    std::map<std::string, std::string> m_failures;
};

class FakeSpssApp : public automation::ISpssApp {
public:
    explicit FakeSpssApp(std::shared_ptr<FakeSpssState> state) : m_state(std::move(state)) {}

    void ExecuteCommands(const std::string& commands, bool wait) override;
    std::unique_ptr<automation::ISpssDocuments> Documents() override;
    std::unique_ptr<automation::ISpssDocument> GetOutputDoc() override;
    std::unique_ptr<automation::ISpssDocument> GetDesignerDoc() override;

private:
    std::shared_ptr<FakeSpssState> m_state;
};

} // namespace qs::test
