// The data-file query against a double of the engine: every road through it, with the
// exact messages, and the registered version.
#include "spss/EAbort.h"
#include "spss/SPSSConnection.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

#include <deque>

namespace qs {
namespace {

using automation::EAutomationError;

// The engine's side: the paths its data document gives in turn, and a failing SaveAs.
struct Engine {
    std::deque<std::string> paths;
    std::string saveError;
    std::vector<std::string> calls;
};

class Document : public automation::ISpssDocument {
public:
    explicit Document(Engine& e) : m_e(e) {}
    void SetVisible(bool) override {}
    void SetWindowState(std::int32_t) override {}
    std::string GetBannerText() override { return {}; }
    std::string GetDocumentPath() override {
        m_e.calls.push_back("GetDocumentPath");
        std::string p = m_e.paths.front();
        if (m_e.paths.size() > 1) {
            m_e.paths.pop_front();
        }
        return p;
    }
    void SaveAs(const std::string& path) override {
        m_e.calls.push_back("SaveAs " + path);
        if (!m_e.saveError.empty()) {
            throw EAutomationError(m_e.saveError);
        }
    }

private:
    Engine& m_e;
};

class Documents : public automation::ISpssDocuments {
public:
    explicit Documents(Engine& e) : m_e(e) {}
    std::unique_ptr<automation::ISpssDocument> GetDataDoc(std::int32_t index) override {
        m_e.calls.push_back("GetDataDoc " + std::to_string(index));
        return std::make_unique<Document>(m_e);
    }

private:
    Engine& m_e;
};

class App : public automation::ISpssApp {
public:
    explicit App(Engine& e) : m_e(e) {}
    void ExecuteCommands(const std::string&, bool) override {}
    std::unique_ptr<automation::ISpssDocuments> Documents() override {
        m_e.calls.push_back("Documents");
        return std::make_unique<qs::Documents>(m_e);
    }
    std::unique_ptr<automation::ISpssDocument> GetOutputDoc() override { return nullptr; }
    std::unique_ptr<automation::ISpssDocument> GetDesignerDoc() override { return nullptr; }

private:
    Engine& m_e;
};

struct Row {
    const char* name;
    std::string connectError; // empty: the engine answers
    std::string version;
    std::deque<std::string> paths;
    std::string saveError;
    bool aborts;
    std::string path;    // afterwards; "before" when unchanged
    std::string message; // shown, or empty
    std::vector<std::string> calls;
};
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

class ActiveDataFile : public ::testing::TestWithParam<Row> {};

TEST_P(ActiveDataFile, AsksSavesAndReports) {
    const Row& row = GetParam();
    Engine engine{row.paths, row.saveError, {}};
    std::vector<std::string> shown, cleared;
    ActiveDataFileHooks hooks;
    hooks.connect = [&]() -> std::unique_ptr<automation::ISpssApp> {
        if (!row.connectError.empty()) {
            throw EAutomationError(row.connectError);
        }
        return std::make_unique<App>(engine);
    };
    hooks.registeredVersion = [&] { return row.version; };
    hooks.showMessage = [&](const std::string& m) { shown.push_back(m); };
    std::string path = "before";
    if (row.aborts) {
        EXPECT_THROW(GetActiveDataFilePath(path, hooks), EAbort);
    } else {
        GetActiveDataFilePath(path, hooks);
    }
    EXPECT_EQ(path, row.path);
    EXPECT_EQ(shown, row.message.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{row.message});
    EXPECT_EQ(engine.calls, row.calls);
}

const std::vector<std::string> kAsk{"Documents", "GetDataDoc 0", "GetDocumentPath",
                                    "GetDocumentPath"};

INSTANTIATE_TEST_SUITE_P(
    Roads, ActiveDataFile,
    ::testing::Values(
        Row{"NoEngine", "Operation unavailable", "", {}, "", true, "before", "", {}},
        Row{"NoEngineAnyCase", "operation UNAVAILABLE", "9.0", {}, "", true, "before", "", {}},
        Row{"OtherErrorOldVersionGoesOn", "Server busy", "9.0", {}, "", false, "before", "", {}},
        Row{"OtherErrorAborts", "Server busy", "11.0", {}, "", true, "before", "", {}},
        Row{"NeverSaved", "", "", {""}, "", false, "Untitled", "", {"Documents", "GetDataDoc 0",
                                                                  "GetDocumentPath"}},
        // The user's file is named, never written: no attributes changed, no SaveAs.
        Row{"SavedPathIsReadNotWritten", "", "", {"/d/x.sav"}, "", false, "/d/x.sav", "", kAsk},
        Row{"UnwritableFileIsLeftAlone", "", "", {"/d/x.sav"}, "Disk full", false, "/d/x.sav",
            "", kAsk},
        Row{"PathGoneOnTheSecondAsk", "", "", {"/d/x.sav", ""}, "", false, "",
            "Er is geen databestand geopend.\n\rOpen een SPSS databestand en probeer het "
            "nogmaals.",
            kAsk}),
    [](const testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

TEST(RegisteredSpssVersion, TheLastMarkedVersionWinsAndAMissingKeyIsMade) {
    test::TempRegistry reg;
    EXPECT_EQ(GetRegisteredSpssVersion(reg.store), "");
    EXPECT_TRUE(reg.store->KeyExists(RootKey::CurrentUser, "Software\\SPSS\\SPSS for Windows"));
    for (const char* v : {"10.0", "11.0", "9.0"}) {
        reg.Put(std::string("Software\\SPSS\\SPSS for Windows\\") + v + "\\Setup",
                "CurrentlyRegistered", RegistryValue::FromString(v[0] == '9' ? "0" : "1"));
    }
    EXPECT_EQ(GetRegisteredSpssVersion(reg.store), "11.0");
}

} // namespace
} // namespace qs
