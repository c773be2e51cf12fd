// Round trips through quillstone-engine: a one-line command from submission until its
// output is back, a 1 MB syntax file beside `pspp FILE` alone on the same file, and the
// dictionary copy a refresh asks for on a dataset of a million cases, beside a pass over
// it and a full save; then the engine's memory under a client that sends two million
// requests without reading a reply, and over a LIST of a million lines.
#include "platform/automation/EngineClient.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// A long analysis script: a small dataset, then transformations, labels and now and then
// a procedure, as people write them. (Megabytes of inline data would time PSPP's data
// reader, which is slow on them with or without the engine.)
std::string MegabyteOfSyntax() {
    std::string text = "DATA LIST FREE /a b.\nBEGIN DATA\n";
    for (int i = 0; i < 200; ++i) {
        text += std::to_string(i % 17) + " " + std::to_string(i % 5) + "\n";
    }
    text += "END DATA.\n";
    for (int i = 0; text.size() < 1000000; ++i) {
        const std::string n = std::to_string(i);
        text += "COMPUTE t" + n + " = a * " + std::to_string(i % 9) + " + b.\n" + "RECODE t" + n +
                " (LO THRU 10=1) (ELSE=2) INTO r" + n + ".\n" + "VARIABLE LABELS t" + n +
                " 'Transformed score number " + n + " for the benchmark'.\n" + "VALUE LABELS r" +
                n + " 1 'low' 2 'high'.\n";
        if (i % 50 == 49) {
            text += "DESCRIPTIVES t" + n + " r" + n + ".\n";
        }
    }
    return text;
}

double PsppAlone(const fs::path& file) {
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("pspp", "pspp", file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return Ms(Clock::now() - start);
}

// A field of /proc/PID/status in MiB (VmRSS, VmHWM).
double StatusMiB(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
        }
    }
    return -1;
}

// Starts the peak (VmHWM) over from the present size.
void ResetPeak(pid_t pid) {
    std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5";
}

// Sends `count` window requests without reading, waiting at most 2 s for the engine to
// take more; returns the requests sent. The engine's memory is read while they wait.
std::size_t Pipeline(const std::string& socket, std::size_t count, pid_t engine) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("connect");
        return 0;
    }
    const std::string request = "{\"op\":\"banner_text\",\"kind\":1}\n";
    std::string block = "{\"op\":\"hello\",\"v\":1}\n";
    std::string flood;
    for (int i = 0; i < 4096; ++i) {
        flood += request;
    }
    ::send(fd, block.data(), block.size(), MSG_NOSIGNAL);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    const std::size_t total = count * request.size();
    std::size_t sent = 0;
    while (sent < total) {
        const std::size_t at = sent % flood.size();
        const ssize_t n = ::send(fd, flood.data() + at,
                                 std::min(flood.size() - at, total - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 2000) == 0) {
            break; // the engine reads no more from us
        }
    }
    std::printf("  %zu of %zu requests taken before the engine stopped reading\n",
                sent / request.size(), count);
    std::printf("  engine while they wait: %.1f MiB resident, peak %.1f MiB\n",
                StatusMiB(engine, "VmRSS"), StatusMiB(engine, "VmHWM"));
    ::fcntl(fd, F_SETFL, 0);
    std::size_t lines = 0;
    char buffer[65536];
    for (pollfd p{fd, POLLIN, 0}; lines < sent / request.size() + 1 && ::poll(&p, 1, 10000) == 1;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        lines += static_cast<std::size_t>(std::count(buffer, buffer + n, '\n'));
    }
    ::close(fd);
    return lines - 1;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %8.2f ms   min %8.2f ms   max %8.2f ms   (%zu runs)\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const fs::path bin = fs::absolute(argc > 1 ? argv[1] : "build/bin");
    char folder[] = "/tmp/qs-bench-engine-XXXXXX";
    if (!::mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    ::setenv("XDG_RUNTIME_DIR", folder, 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int status = 0;
    try {
        auto app = qs::automation::CreateEngine({bin});
        for (int i = 0; i < 20; ++i) { // warm up PSPP and the caches
            qs::automation::ExecuteReported(*app, "ECHO 'warm'.");
        }
        std::vector<double> oneLine;
        for (int i = 0; i < 300; ++i) {
            const auto start = Clock::now();
            const auto run = qs::automation::ExecuteReported(*app, "SHOW N.");
            oneLine.push_back(Ms(Clock::now() - start));
            if (run.output.find("SHOW") == std::string::npos) {
                std::fprintf(stderr, "unexpected output: %s\n", run.output.c_str());
                status = 1;
            }
        }
        Report("one-line command, round trip", oneLine);

        const std::string big = MegabyteOfSyntax();
        const fs::path file = fs::path(folder) / "big.sps";
        std::ofstream(file, std::ios::binary) << big;
        std::vector<double> viaEngine, alone;
        for (int i = 0; i < 5; ++i) {
            const auto start = Clock::now();
            const auto run = qs::automation::ExecuteReported(*app, big);
            viaEngine.push_back(Ms(Clock::now() - start));
            if (run.errors != 0) {
                std::fprintf(stderr, "the 1 MB file had errors:\n%s\n", run.output.c_str());
                status = 1;
            }
            alone.push_back(PsppAlone(file));
        }
        std::printf("1 MB syntax file: %zu bytes\n", big.size());
        Report("  through quillstone-engine", viaEngine);
        Report("  pspp FILE alone", alone);
        std::sort(viaEngine.begin(), viaEngine.end());
        std::sort(alone.begin(), alone.end());
        std::printf("  ratio of medians: %.2f (target: at most 1.10)\n", viaEngine[2] / alone[2]);

        // A million cases of six numbers, held by the session (not read from a file).
        qs::automation::ExecuteReported(
            *app, "INPUT PROGRAM.\nLOOP #i = 1 TO 1000000.\nCOMPUTE id = #i.\n"
                  "COMPUTE v1 = #i * 2.\nCOMPUTE v2 = MOD(#i, 7).\nCOMPUTE v3 = #i / 3.\n"
                  "COMPUTE v4 = MOD(#i, 100).\nCOMPUTE v5 = #i - 1.\nEND CASE.\nEND LOOP.\n"
                  "END FILE.\nEND INPUT PROGRAM.\nEXECUTE.");
        std::vector<double> copy, pass, save;
        const std::string saved = (fs::path(folder) / "full.sav").string();
        for (int i = 0; i < 7; ++i) {
            auto document = app->Documents()->GetDataDoc(0);
            auto start = Clock::now();
            const std::string copied = document->SaveDictionaryCopy();
            copy.push_back(Ms(Clock::now() - start));
            if (copied.empty() || fs::file_size(copied) > 4096) {
                std::fprintf(stderr, "the dictionary copy is missing or holds cases\n");
                status = 1;
            }
            fs::remove(copied);
            start = Clock::now();
            qs::automation::ExecuteReported(*app, "EXECUTE.");
            pass.push_back(Ms(Clock::now() - start));
            start = Clock::now();
            document->SaveAs(saved);
            save.push_back(Ms(Clock::now() - start));
        }
        std::printf("refresh on 1,000,000 cases x 6 variables\n");
        Report("  dictionary copy (the refresh)", copy);
        Report("  one pass over the data (EXECUTE)", pass);
        Report("  full save of the data", save);

        std::ifstream lockFile(fs::path(folder) / "quillstone" / "engine.lock");
        pid_t engine = 0;
        lockFile >> engine;
        std::printf("memory of quillstone-engine (at start of this part: %.1f MiB resident)\n",
                    StatusMiB(engine, "VmRSS"));
        ResetPeak(engine);
        const std::size_t answered =
            Pipeline((fs::path(folder) / "quillstone" / "engine.sock").string(), 2000000, engine);
        std::printf("  %zu replies read; engine after the client left: %.1f MiB resident\n",
                    answered, StatusMiB(engine, "VmRSS"));

        ResetPeak(engine);
        const auto listStart = Clock::now();
        const auto listed = qs::automation::ExecuteReported(*app, "LIST id v1.");
        std::printf("LIST of 1,000,000 cases: %.1f MiB of output in %.1f s; engine peak %.1f MiB, "
                    "now %.1f MiB\n",
                    static_cast<double>(listed.output.size()) / (1024.0 * 1024.0),
                    Ms(Clock::now() - listStart) / 1000.0, StatusMiB(engine, "VmHWM"),
                    StatusMiB(engine, "VmRSS"));
        if (listed.output.find("1000000") == std::string::npos) {
            std::fprintf(stderr, "the LIST output lacks its last case\n");
            status = 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        status = 1;
    }
    // End the engine this benchmark started.
    std::ifstream lock(fs::path(folder) / "quillstone" / "engine.lock");
    pid_t pid = 0;
    if (lock >> pid && pid > 0) {
        ::kill(pid, SIGTERM);
        for (int i = 0; i < 100 && ::kill(pid, 0) == 0; ++i) {
            ::usleep(20000);
        }
    }
    fs::remove_all(folder);
    return status;
}
