// The jobs on their own: what each sends to the engine, and how failures are recorded.
#include "spss/SPSSBaseJobs.h"

#include "RecordingApp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sys/stat.h>

namespace qs {
namespace {

namespace fs = std::filesystem;
using test::TCallLog;
using test::TRecordingApp;

constexpr const char* kNotLoaded = "This job can not be executed because SPSS is not loaded";

// Points the user's runtime folder, where the include files go, at one of the test's.
class ScopedTmpDir {
public:
    explicit ScopedTmpDir(const fs::path& dir) {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
            m_Old = old;
            m_HadOld = true;
        }
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (m_HadOld) {
            ::setenv("XDG_RUNTIME_DIR", m_Old.c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

private:
    std::string m_Old;
    bool m_HadOld = false;
};

std::string UnquoteIncludeName(const std::string& command) {
    static const std::regex include(R"re(^INCLUDE FILE="((?:[^"]|"")*)"\.\r$)re");
    std::smatch m;
    if (!std::regex_match(command, m, include)) {
        return {};
    }
    return std::regex_replace(m[1].str(), std::regex("\"\""), "\"");
}

struct RouteRow {
    const char* name;
    std::string text;
    bool sent;
};

class SyntaxRoute : public ::testing::TestWithParam<RouteRow> {};

TEST_P(SyntaxRoute, SendsShortTextUnchangedAndBlankTextNotAtAll) {
    const RouteRow& row = GetParam();
    TCallLog log;
    std::unique_ptr<automation::ISpssApp> app = std::make_unique<TRecordingApp>(log);
    TSPSSSyntaxJob job(row.text);
    job.Run(app);
    EXPECT_TRUE(job.Finished);
    EXPECT_EQ(job.ErrorMessage, "");
    if (row.sent) {
        EXPECT_EQ(log.Calls, std::vector<std::string>{row.text});
    } else {
        EXPECT_TRUE(log.Calls.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, SyntaxRoute,
    ::testing::Values(RouteRow{"Empty", "", false},
                      RouteRow{"BlanksAndBreaks", " \t\r\n \n\r", false},
                      RouteRow{"ControlCharacters", std::string("\x01\x1f \x0b", 4), false},
                      RouteRow{"HighBytesAreNotBlank", "\xC3\xA9", true},
                      RouteRow{"UntrimmedDirect", "  GET FILE='a.sav'.\n", true},
                      RouteRow{"Exactly768", " " + std::string(766, 'x') + "\n", true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SyntaxJob, LongTextGoesThroughPrivateIncludeFileThatIsRemoved) {
    test::TempDir dir;
    const fs::path tmp = dir / "odd\"name";
    fs::create_directory(tmp);
    ScopedTmpDir scoped(tmp);

    TCallLog log;
    auto recording = std::make_unique<TRecordingApp>(log);
    std::string included;
    std::string name;
    mode_t mode = 0;
    recording->OnExecute = [&](const std::string& command) {
        name = UnquoteIncludeName(command);
        included = test::ReadFileBytes(name);
        struct stat st {};
        if (::stat(name.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        }
    };
    std::unique_ptr<automation::ISpssApp> app = std::move(recording);

    const std::string pad(769, 'p');
    TSPSSSyntaxJob job("A.\r\nB.\rC.\n" + pad + "\nD.");
    job.Run(app);

    ASSERT_TRUE(job.Finished) << job.ErrorMessage;
    ASSERT_EQ(log.Calls.size(), 1u);
    ASSERT_NE(name, "") << log.Calls[0];
    EXPECT_EQ(fs::path(name).parent_path(), tmp / "quillstone"); // private, not TMPDIR
    EXPECT_TRUE(std::regex_match(fs::path(name).filename().string(),
                                 std::regex("SPS[0-9A-F]+\\.TMP")));
    EXPECT_EQ(included, "A.\r\nB.\r\nC.\r\n" + pad + "\r\nD.\r\n");
    EXPECT_EQ(mode, 0600u);
    EXPECT_FALSE(fs::exists(name));
}

struct PlaceRow {
    const char* name;
    std::size_t textSize; // longer than the direct limit: through the include file
};

class MessagePlaces : public ::testing::TestWithParam<PlaceRow> {};

// A message on line N of what the engine ran is on line N of the job's text, whichever
// way the text went; the INCLUDE command's own line is none of the text's.
TEST_P(MessagePlaces, CountLinesOfTheJobsText) {
    using M = automation::EngineMessage;
    test::TempDir dir;
    ScopedTmpDir scoped(dir.path());
    TCallLog log;
    auto recording = std::make_unique<TRecordingApp>(log);
    recording->Report = [](const std::string& command) {
        const std::string include = UnquoteIncludeName(command);
        return std::vector<M>{{M::Severity::Error, include, 3, "error: a"},
                              {M::Severity::Warning, include, 0, "warning: b"},
                              {M::Severity::Error, "", 1, "error: c"},
                              {M::Severity::Note, "/x/other.sps", 2, "note: d"}};
    };
    std::unique_ptr<automation::ISpssApp> app = std::move(recording);
    std::optional<std::vector<M>> got;
    TSPSSSyntaxJob job("A.\nB.\n" + std::string(GetParam().textSize, 'c'),
                       [&](std::optional<std::vector<M>> messages) { got = std::move(messages); });
    job.Run(app);

    ASSERT_TRUE(got.has_value());
    std::vector<std::pair<std::string, std::int64_t>> places;
    for (const M& message : *got) {
        places.emplace_back(message.file, message.line);
    }
    const bool included = GetParam().textSize > TSPSSSyntaxJob::kDirectLimit;
    const std::vector<std::pair<std::string, std::int64_t>> expected =
        included ? std::vector<std::pair<std::string, std::int64_t>>{{"", 3}, {"", 0}, {"", 0},
                                                                    {"/x/other.sps", 2}}
                 : std::vector<std::pair<std::string, std::int64_t>>{{"", 3}, {"", 0}, {"", 1},
                                                                    {"/x/other.sps", 2}};
    EXPECT_EQ(places, expected);
}

INSTANTIATE_TEST_SUITE_P(Jobs, MessagePlaces,
                         ::testing::Values(PlaceRow{"Direct", 10}, PlaceRow{"ThroughIncludeFile", 900}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SyntaxJob, Text769LongWithFinalBreakIncludesNoEmptyLine) {
    test::TempDir dir;
    ScopedTmpDir scoped(dir.path());
    TCallLog log;
    auto recording = std::make_unique<TRecordingApp>(log);
    std::string included;
    recording->OnExecute = [&](const std::string& command) {
        included = test::ReadFileBytes(UnquoteIncludeName(command));
    };
    std::unique_ptr<automation::ISpssApp> app = std::move(recording);
    TSPSSSyntaxJob job(std::string(768, 'x') + "\n");
    job.Run(app);
    EXPECT_EQ(included, std::string(768, 'x') + "\r\n");
}

TEST(SyntaxJob, RejectedCommandLeavesJobUnfinishedAndRemovesIncludeFile) {
    test::TempDir dir;
    ScopedTmpDir scoped(dir.path());
    TCallLog log;
    auto recording = std::make_unique<TRecordingApp>(log);
    recording->FailWith = "Command rejected";
    std::string name;
    recording->OnExecute = [&](const std::string& command) { name = UnquoteIncludeName(command); };
    std::unique_ptr<automation::ISpssApp> app = std::move(recording);

    TSPSSSyntaxJob job(std::string(1000, 'x'));
    job.Run(app);
    EXPECT_FALSE(job.Finished);
    EXPECT_EQ(job.ErrorMessage, "Command rejected");
    ASSERT_NE(name, "");
    EXPECT_FALSE(fs::exists(name));
}

TEST(SyntaxJob, WithoutEngineFailsWithoutSending) {
    std::unique_ptr<automation::ISpssApp> app;
    TSPSSSyntaxJob job("NEW FILE.");
    job.Run(app);
    EXPECT_FALSE(job.Finished);
    EXPECT_EQ(job.ErrorMessage, kNotLoaded);
}

TEST(SyntaxJob, NoTemporaryFileGivesSystemErrorMessage) {
    test::TempDir dir;
    ScopedTmpDir scoped(dir / "missing");
    TCallLog log;
    std::unique_ptr<automation::ISpssApp> app = std::make_unique<TRecordingApp>(log);
    TSPSSSyntaxJob job(std::string(800, 'x'));
    job.Run(app);
    EXPECT_FALSE(job.Finished);
    EXPECT_TRUE(std::regex_match(job.ErrorMessage, std::regex("Win32 Error [1-9][0-9]*: .+")))
        << job.ErrorMessage;
    EXPECT_TRUE(log.Calls.empty());
}

struct ShowRow {
    const char* name;
    bool show;
    std::int32_t kind;
    std::int32_t windowState;
    std::vector<std::string> calls; // engine calls, then the UI hooks
    bool finished;
};

class ShowHide : public ::testing::TestWithParam<ShowRow> {};

TEST_P(ShowHide, DrivesDocumentAndAlwaysRestoresCursor) {
    const ShowRow& row = GetParam();
    TCallLog log;
    std::unique_ptr<automation::ISpssApp> app = std::make_unique<TRecordingApp>(log);
    TSPSSUiHooks hooks{[&] { log.Calls.push_back("busy"); },
                       [&] { log.Calls.push_back("restore"); },
                       [&](const std::string& title) { log.Calls.push_back("front " + title); }};
    TSPSSShowHideDocument job(row.show, row.kind, row.windowState, hooks);
    job.Run(app);
    EXPECT_EQ(log.Calls, row.calls);
    EXPECT_EQ(job.Finished, row.finished);
    EXPECT_EQ(job.ErrorMessage.empty(), row.finished);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, ShowHide,
    ::testing::Values(
        ShowRow{"DataShown", true, 0, 0,
                {"busy", "data0.Visible=1", "data0.WindowState=0", "front data0 banner", "restore"},
                true},
        ShowRow{"OutputKeepsWindowState", true, 1, -1,
                {"busy", "output.Visible=1", "front output banner", "restore"}, true},
        ShowRow{"DesignerHidden", false, 2, 2, {"busy", "designer.Visible=0", "restore"}, true},
        ShowRow{"UnknownKind", true, 3, 0, {"busy", "restore"}, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ShowHide, WithoutEngineFailsAndRestoresCursor) {
    std::vector<std::string> calls;
    std::unique_ptr<automation::ISpssApp> app;
    TSPSSShowHideDocument job(true, 0, 0,
                              {[&] { calls.push_back("busy"); }, [&] { calls.push_back("restore"); },
                               nullptr});
    job.Run(app);
    EXPECT_FALSE(job.Finished);
    EXPECT_EQ(job.ErrorMessage, kNotLoaded);
    EXPECT_EQ(calls, (std::vector<std::string>{"busy", "restore"}));
}

struct AttachRow {
    const char* name;
    bool active;     // an engine is running
    bool creatable;  // a new one can be started
    bool finished;
    const char* use; // which one App ends up holding, "" for none
    const char* error;
};

class Attach : public ::testing::TestWithParam<AttachRow> {};

TEST_P(Attach, UsesRunningEngineElseStartsOne) {
    const AttachRow& row = GetParam();
    TCallLog activeLog;
    TCallLog createdLog;
    automation::ISpssApp* active = nullptr;
    automation::ISpssApp* created = nullptr;
    TSPSSAppFactory factory{[&]() -> std::unique_ptr<automation::ISpssApp> {
                                if (!row.active) {
                                    throw automation::EAutomationError("Not running");
                                }
                                auto app = std::make_unique<TRecordingApp>(activeLog);
                                active = app.get();
                                return app;
                            },
                            [&]() -> std::unique_ptr<automation::ISpssApp> {
                                if (!row.creatable) {
                                    throw automation::EAutomationError("Cannot start");
                                }
                                auto app = std::make_unique<TRecordingApp>(createdLog);
                                created = app.get();
                                return app;
                            }};
    std::unique_ptr<automation::ISpssApp> app;
    TSPSSAttachJob job(factory);
    job.Run(app);
    EXPECT_EQ(job.Finished, row.finished);
    EXPECT_EQ(job.ErrorMessage, row.error);
    const std::string use = row.use;
    EXPECT_EQ(app.get(), use == "active" ? active : use == "created" ? created : nullptr);
    EXPECT_EQ(use == "", app == nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, Attach,
    ::testing::Values(AttachRow{"Running", true, true, true, "active", ""},
                      AttachRow{"Started", false, true, true, "created", ""},
                      AttachRow{"Unreachable", false, false, false, "", "Cannot start"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Attach, SecondAttachChangesNothing) {
    TCallLog log;
    std::unique_ptr<automation::ISpssApp> app = std::make_unique<TRecordingApp>(log);
    automation::ISpssApp* const held = app.get();
    int calls = 0;
    TSPSSAttachJob job({[&]() -> std::unique_ptr<automation::ISpssApp> { ++calls; return nullptr; },
                        [&]() -> std::unique_ptr<automation::ISpssApp> { ++calls; return nullptr; }});
    job.Run(app);
    EXPECT_EQ(app.get(), held);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(job.Finished);
}

TEST(Attach, WithoutAutomationClientIsUnavailable) {
    std::unique_ptr<automation::ISpssApp> app;
    TSPSSAttachJob job;
    job.Run(app);
    EXPECT_FALSE(job.Finished);
    EXPECT_EQ(job.ErrorMessage, automation::kOperationUnavailable);
    EXPECT_EQ(app, nullptr);
}

} // namespace
} // namespace qs

namespace qs {
namespace {

struct QueryRow {
    const char* name;
    std::string documentPath;
    std::string dictionaryError;
    std::optional<TDataFileQuery> expected; // nullopt: overtaken by a newer query, no answer
    bool overtaken = false;
};
void PrintTo(const QueryRow& row, std::ostream* os) {
    *os << row.name;
}

class DataFileQuery : public testing::TestWithParam<QueryRow> {};

// The query reads the path and asks for a private copy; the document's own file is
// never saved.
TEST_P(DataFileQuery, AnswersWithThePathAndAPrivateCopy) {
    const QueryRow& row = GetParam();
    test::TCallLog log;
    log.DocumentPath = row.documentPath;
    log.DictionaryError = row.dictionaryError;
    std::unique_ptr<automation::ISpssApp> app = std::make_unique<test::TRecordingApp>(log);
    auto latest = std::make_shared<std::atomic<std::uint64_t>>(row.overtaken ? 2 : 1);
    std::vector<TDataFileQuery> answers;
    TSPSSDataFileJob job(latest, 1, [&](TDataFileQuery result) { answers.push_back(result); });
    job.Run(app);
    EXPECT_TRUE(job.Finished);
    if (row.overtaken) {
        EXPECT_TRUE(answers.empty());
        EXPECT_TRUE(log.Calls.empty()); // it asks the engine nothing
        return;
    }
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].Path, row.expected->Path);
    EXPECT_EQ(answers[0].DictionaryFile, row.expected->DictionaryFile);
    EXPECT_EQ(answers[0].Error, row.expected->Error);
    EXPECT_EQ(log.Calls, std::vector<std::string>{"data0.SaveDictionaryCopy"});
}

// An engine that does not guard its dictionary copy is not asked for one while the syntax
// sent leaves a TEMPORARY or a file-writing transformation waiting for a procedure.
TEST(DataFileQueryPending, HeldBackWhileTheSyntaxSentLeavesTransformationsWaiting) {
    struct Row {
        const char* sent;
        bool fails;  // the run fails: its procedure may not have run
        bool guards; // the engine refuses such a copy itself
        std::string why;
    };
    const Row rows[] = {
        {"WRITE OUTFILE='w.txt' /x.", false, false, kFileWritesPending},
        {"WRITE OUTFILE='w.txt' /x.\nEXECUTE.", false, false, ""},
        {"TEMPORARY.\nSELECT IF x > 1.", false, false, kTemporaryPending},
        {"XSAVE OUTFILE='x.sav'.\nEXECUTE.", true, false, kFileWritesPending},
        {"WRITE OUTFILE='w.txt' /x.", false, true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sent);
        test::TCallLog log;
        auto* recording = new test::TRecordingApp(log);
        std::unique_ptr<automation::ISpssApp> app(recording);
        recording->FailWith = row.fails ? "the run failed" : "";
        recording->Guards = row.guards;
        auto pending = std::make_shared<TPendingTransformations>();
        TSPSSSyntaxJob(row.sent, {}, 1, pending).Run(app);
        recording->FailWith.clear();
        log.Calls.clear();
        std::vector<TDataFileQuery> answers;
        TSPSSDataFileJob(nullptr, 1, [&](TDataFileQuery result) { answers.push_back(result); }, pending)
            .Run(app);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0].Error, row.why);
        EXPECT_EQ(log.Calls.size(), row.why.empty() ? 1u : 0u); // the copy, or nothing
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DataFileQuery,
    testing::Values(
        QueryRow{"Saved", "/d/x.sav", "", TDataFileQuery{"/d/x.sav", "/private/dict-1.sav", ""}},
        QueryRow{"NeverSaved", "", "", TDataFileQuery{"Untitled", "/private/dict-1.sav", ""}},
        QueryRow{"CopyRefused", "/d/x.sav", "TEMPORARY is in effect",
                 TDataFileQuery{"", "", "TEMPORARY is in effect"}}, // the path is asked after
        QueryRow{"OvertakenByANewerQuery", "/d/x.sav", "", std::nullopt, true}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
