// quillstone-engine: runs syntax in PSPP for the editor (no arguments), or sends a file
// to the running engine and prints what it printed ("run FILE.sps").
#include "about/ProgramSwitches.h"
#include "app/SyntaxFile.h"
#include "engine/EngineHost.h"
#include "engine/EngineServer.h"
#include "engine/PsppSession.h"
#include "engine/forms/DataWindow.h"
#include "engine/forms/OutputWindow.h"
#include "platform/HtmlText.h"
#include "platform/automation/EngineClient.h"

#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include <fcntl.h>
#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace qs;

constexpr const char* kHelp =
    "Usage: quillstone-engine\n"
    "   or: quillstone-engine run [--html DIR] FILE.sps\n"
    "Runs SPSS syntax in PSPP for the editor. Without arguments it serves the editor on\n"
    "the user's engine socket and shows PSPP's output and the active dataset in its\n"
    "windows; the editor starts it when needed. \"run\" sends FILE.sps to the running\n"
    "engine (starting one if none runs), prints that run's output, and exits 1 when\n"
    "PSPP reported an error. Relative file names in it are names in the current folder.\n"
    "With --html DIR it also writes that run's output as DIR/index.html (tables as HTML\n"
    "tables) with its charts as image files beside it; DIR is made when missing.\n"
    "The engine keeps one PSPP session: the datasets a run leaves are still there for\n"
    "the next run, from the editor or from \"run\", until the engine ends.\n"
    "\n";

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the event loop, so that PSPP and the socket go too.
void QuitOnSignals(QApplication& app) {
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe);
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(sig, &action, nullptr);
    }
}

// The PSPP program: QUILLSTONE_PSPP when set (tests point it elsewhere), else pspp on
// the search path. Empty when there is none.
std::string PsppProgram() {
    if (const char* chosen = std::getenv("QUILLSTONE_PSPP"); chosen && *chosen) {
        return ::access(chosen, X_OK) == 0 ? std::string(chosen) : std::string();
    }
    return QStandardPaths::findExecutable("pspp").toStdString();
}

int Serve(int argc, char** argv) {
    const automation::SocketPathResult where = automation::EngineSocketPath(true);
    if (!where.error.empty()) {
        std::fprintf(stderr, "quillstone-engine: refusing the engine socket: %s\n",
                     where.error.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    app.setApplicationName("quillstone-engine");
    app.setQuitOnLastWindowClosed(false);

    engine::EngineServer server;
    std::string error;
    switch (server.Listen(where.path, &error)) {
    case engine::EngineServer::Claim::Serving:
        break;
    case engine::EngineServer::Claim::OtherEngineRuns:
        std::fprintf(stderr, "quillstone-engine: an engine already runs for this user; "
                             "the editor uses that one.\n");
        return 0;
    case engine::EngineServer::Claim::Failed:
        std::fprintf(stderr, "quillstone-engine: %s\n", error.c_str());
        return 1;
    }
    QuitOnSignals(app);
    // The engine outlives whoever started it: it must not hold their output open (a
    // caller reading "$(quillstone-engine run x)" would wait for the engine to end).
    if (const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC); null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        if (!std::getenv("QUILLSTONE_ENGINE_TRACE")) {
            ::dup2(null, STDERR_FILENO);
        }
        ::close(null);
    }
    // Long output grows one text buffer by doubling; mapped growth of it stalls the window.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);

    const std::string folder = std::filesystem::path(where.path).parent_path().string();
    engine::PsppSession session(PsppProgram(), folder);
    OutputWindow output;
    DataWindow data;
    engine::EngineHost host(server, session, output, data);
    QObject::connect(&host, &engine::EngineHost::AllWindowsClosed, &app, &QApplication::quit);
    output.show();
    session.Start();
    const int status = app.exec();
    server.Shutdown();
    session.Stop();
    return status;
}

// The page around a run's items: PSPP's tables carry their own styles.
constexpr const char* kPageHead =
    "<!doctype html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%s</title>\n<style>\n"
    "body { font-family: sans-serif; margin: 1em 2em }\n"
    "table { border-collapse: collapse; margin-bottom: 1em }\n"
    "caption { text-align: left; font-weight: bold }\n"
    "th { font-weight: normal }\n"
    ".error { color: #b00000 } .warning { color: #8a5a00 } .note { color: #555 }\n"
    "pre.syntax { color: #555 }\n"
    "</style>\n</head>\n<body>\n";

// Writes the run's page and moves its charts beside it; false with a message on failure.
bool WriteHtml(const std::string& folder, const std::string& title,
               const automation::ReportedRun& run) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok = !error;
    for (const std::string& chart : run.charts) {
        const auto target = std::filesystem::path(folder) / std::filesystem::path(chart).filename();
        if (ok && !std::filesystem::copy_file(chart, target,
                                              std::filesystem::copy_options::overwrite_existing,
                                              error)) {
            ok = false;
        }
        std::filesystem::remove(chart); // ours now, written or not
    }
    if (!ok) {
        std::fprintf(stderr, "quillstone-engine: cannot write to %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return false;
    }
    const std::string escaped = HtmlEscaped(title);
    std::string page(std::strlen(kPageHead) + escaped.size(), '\0');
    page.resize(static_cast<std::size_t>(
        std::snprintf(page.data(), page.size(), kPageHead, escaped.c_str())));
    page += run.html + "</body>\n</html>\n";
    const FileResult saved = SaveFileContents(folder + "/index.html", page);
    if (!saved.ok) {
        std::fprintf(stderr, "quillstone-engine: %s\n", saved.error.c_str());
    }
    return saved.ok;
}

int RunFile(const char* file, const char* htmlFolder) {
    std::stringstream text;
    {
        // Closed before an engine may be started, which would inherit it.
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "quillstone-engine: cannot read %s: %s\n", file,
                         std::strerror(errno));
            return 1;
        }
        text << in.rdbuf();
    }
    try {
        std::unique_ptr<automation::ISpssApp> app;
        try {
            app = automation::GetActiveSpssApp();
        } catch (const automation::EAutomationError& e) {
            if (std::string(e.what()) != automation::kOperationUnavailable) {
                throw;
            }
            app = automation::CreateEngine({});
        }
        // Relative names in the file mean what they mean to the caller, as with pspp FILE.
        std::error_code error;
        const std::string here = std::filesystem::current_path(error).string();
        // Read as the editor reads a document (UTF-8, else Windows-1252), so that the file
        // runs the same from here as from the editor.
        const automation::ReportedRun run = automation::ExecuteReported(
            *app, DecodeSyntaxFile(text.str()).text, here, htmlFolder != nullptr);
        std::fwrite(run.output.data(), 1, run.output.size(), stdout);
        if (htmlFolder != nullptr &&
            !WriteHtml(htmlFolder, std::filesystem::path(file).filename().string(), run)) {
            return 1;
        }
        return run.errors == 0 ? 0 : 1;
    } catch (const automation::EAutomationError& e) {
        std::fprintf(stderr, "quillstone-engine: %s\n", e.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (const auto code = qs::AnswerInfoSwitch(argc, argv, qs::ThisProgram(), kHelp, std::cout)) {
        return *code;
    }
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0) {
        const bool html = argc == 5 && std::strcmp(argv[2], "--html") == 0;
        if (argc != 3 && !html) {
            std::fprintf(stderr, "usage: quillstone-engine run [--html DIR] FILE.sps\n");
            return 2;
        }
        return html ? RunFile(argv[4], argv[3]) : RunFile(argv[2], nullptr);
    }
    return Serve(argc, argv);
}
