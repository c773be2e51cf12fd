// The local-socket client of quillstone-engine: the engine's application interface on
// platforms without an automation server. Each call is one request line and one reply
// line (see src/engine/PROTOCOL.md).
#pragma once

#include "platform/automation/Automation.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace qs::automation {

inline constexpr std::int64_t kProtocolVersion = 1;
// The longest line either side accepts, line end included.
inline constexpr std::size_t kMaxLineBytes = 16u * 1024u * 1024u;
inline constexpr const char* kEngineProgramName = "quillstone-engine";
// How long a request that the engine answers at once (window operations, cancel, note)
// may go unanswered before it fails; runs and the dictionary copy wait for their turn.
inline constexpr std::chrono::milliseconds kPromptReplyTimeout{5000};

struct SocketPathResult {
    std::string path;  // the socket's path; empty when `error` is set
    std::string error; // why the folder cannot be trusted
};

// The user's engine socket: $XDG_RUNTIME_DIR/quillstone/engine.sock, else
// $XDG_CACHE_HOME/quillstone/run/engine.sock (~/.cache when unset). The folder must be a
// real folder of this user with mode 0700, and every folder above it this user's or
// root's, sticky where others may write; with `createFolder` it is made when missing (the
// engine does that).
SocketPathResult EngineSocketPath(bool createFolder);

// Connects to the engine at `socketPath`, checks that its process belongs to this user
// and greets it. Raises EAutomationError(kOperationUnavailable) when nothing listens.
std::unique_ptr<ISpssApp> ConnectEngine(const std::string& socketPath);

// What one run printed, as quillstone-engine reports it when asked.
struct ReportedRun {
    std::string output;
    std::int64_t errors = 0;
    std::int64_t warnings = 0;
    // With `items`: the run's output as an HTML fragment, and the chart files it names
    // (by their file names), which the caller now owns and must remove.
    std::string html;
    std::vector<std::string> charts;
};

// Runs `commands` on an engine connection made by ConnectEngine or CreateEngine, waits
// for it, and returns its output and message counts. Relative file names in them mean
// names in `folder` when one is given (an engine from before that ignores it). Raises
// EAutomationError.
ReportedRun ExecuteReported(ISpssApp& app, const std::string& commands,
                            const std::string& folder = {}, bool items = false);

// How CoSPSSApplication starts the engine; tests point it elsewhere.
struct EngineLaunch {
    std::filesystem::path programFolder; // empty: the folder of this program's file
    std::chrono::milliseconds timeout{10000};
};

// Starts quillstone-engine from `launch.programFolder`, detached, and connects to it,
// retrying until the timeout.
std::unique_ptr<ISpssApp> CreateEngine(const EngineLaunch& launch);

} // namespace qs::automation
