// PSPP on a pseudo-terminal: started with a plain terminal type and no readline
// configuration of the user's, so that what it prints stays predictable.
#include "engine/PsppSession.h"
#include "engine/SyntaxCommands.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace qs::engine {
namespace {

using Clock = std::chrono::steady_clock;

// Wide enough that neither the typed lines nor the tables wrap.
constexpr unsigned short kTerminalColumns = 1000;

// How long an interrupted PSPP may take to come back to its prompt before it is ended.
constexpr int kInterruptGraceMs = 3000;
// PSPP flushes what was typed ahead when interrupted: the marker is typed again after this.
constexpr int kRetypeMarkerMs = 300;

constexpr const char* kStoppedMessage = "The run was stopped.";

// The descriptor PSPP holds the private folder as, and its journal's name there.
constexpr int kFolderFd = 3;
constexpr const char* kJournal = "pspp.jnl";
// The link to the terminal PSPP writes its HTML output to; its charts go beside it, as
// output-1.png and so on.
constexpr const char* kHtmlLink = "output.html";
// How long the items of a batch whose text is all in may take to follow.
constexpr int kItemsGraceMs = 2000;

} // namespace

const char* const kBlockOpenMessage =
    "A DO IF, LOOP, DO REPEAT or INPUT PROGRAM block is still open, and PSPP takes every "
    "later command into it: nothing after it runs. End the block (END IF, END LOOP, END "
    "REPEAT or END INPUT PROGRAM), or close the engine's windows to start a new session.";

namespace {

// The locale variable to give PSPP so that its characters are UTF-8, or nullptr when the
// user's locale already has a codeset beyond ASCII. Under the C locale PSPP reads a file
// that is not UTF-8 (INCLUDE) as ASCII, every accented byte a replacement character, and
// writes new data files as ASCII; under a UTF-8 one it reads such a file as Windows-1252,
// as the editor does. Decided before the fork: the child may only set it.
const char* Utf8LocaleVariable() {
    const locale_t user = ::newlocale(LC_CTYPE_MASK, "", nullptr);
    if (user == nullptr) {
        return nullptr;
    }
    const std::string codeset = ::nl_langinfo_l(CODESET, user);
    ::freelocale(user);
    if (codeset != "ANSI_X3.4-1968" && codeset != "ASCII") {
        return nullptr;
    }
    const char* all = std::getenv("LC_ALL");
    return all != nullptr && *all != '\0' ? "LC_ALL" : "LC_CTYPE";
}

// The terminal's echo of the interrupt ("^C") and the prompts PSPP shows after it are
// no output of the run.
std::string WithoutInterruptEcho(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string_view line(text.data() + start, end - start);
        std::string_view bare = line;
        while (!bare.empty() && (bare.back() == '\n' || bare.back() == ' ')) {
            bare.remove_suffix(1);
        }
        const bool interrupt = bare.starts_with("^C");
        while (bare.starts_with("^C")) {
            bare.remove_prefix(2);
        }
        if (!(bare == "PSPP>" || (interrupt && bare.empty()))) {
            out.append(line);
        }
        start = end;
    }
    return out;
}

std::string Describe(int status) {
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        return "PSPP ended unexpectedly (killed by signal " + std::to_string(sig) + ", " +
               strsignal(sig) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        return "PSPP ended unexpectedly with exit status " + std::to_string(WEXITSTATUS(status));
    }
    return "PSPP ended (the syntax ran FINISH)";
}

bool WaitFor(pid_t pid, int& status, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) {
            return true;
        }
        if (Clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

PsppSession::PsppSession(std::string program, std::string workFolder, QObject* parent)
    : QObject(parent), m_program(std::move(program)), m_workFolder(std::move(workFolder)) {
    // The folder is held open from here on, and every file of ours in it is made and read
    // through that handle: were the folder renamed and another put in its place, the
    // syntax would still go where it was checked to go.
    m_batchName = "batch-" + std::to_string(::getpid()) + ".sps";
    m_folderFd = ::open(m_workFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (m_folderFd < 0 || ::fstat(m_folderFd, &st) != 0 || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0) {
        m_gaveUp = true;
        m_gaveUpWhy = "The engine's private folder " + m_workFolder +
                      " cannot be used (it must be a folder of this user's alone), so syntax "
                      "cannot run.";
    }
    // PSPP reads it through the same folder, which it holds as descriptor kFolderFd.
    m_batchFile = "/proc/self/fd/" + std::to_string(kFolderFd) + "/" + m_batchName;
    std::error_code error;
    m_startFolder = std::filesystem::current_path(error).string();
    m_trace = std::getenv("QUILLSTONE_ENGINE_TRACE") != nullptr;
    m_nonce = std::random_device{}();
    m_nonce = (m_nonce << 32) ^ std::random_device{}();
    char nonce[20];
    std::snprintf(nonce, sizeof nonce, "%016llx", static_cast<unsigned long long>(m_nonce));
    m_nonceText = nonce;
    m_watch.setInterval(200);
    connect(&m_watch, &QTimer::timeout, this, &PsppSession::CheckAlive);
    m_itemsDeadline.setSingleShot(true);
    m_itemsDeadline.setInterval(kItemsGraceMs);
    connect(&m_itemsDeadline, &QTimer::timeout, this, [this] {
        if (m_textDone) {
            m_htmlCheckSeen = true; // what came is what there is
            FinishWhenItemsAreIn();
        }
    });
    m_interruptDeadline.setSingleShot(true);
    m_interruptDeadline.setInterval(kInterruptGraceMs);
    connect(&m_interruptDeadline, &QTimer::timeout, this, [this] {
        if (m_running && m_interrupted) {
            Kill();
        }
    });
}

PsppSession::~PsppSession() {
    Stop();
    m_htmlNotifier.reset();
    for (const int fd : {m_htmlMaster, m_htmlSlave}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (m_folderFd >= 0) {
        ::unlinkat(m_folderFd, kHtmlLink, 0);
    }
    if (m_folderFd >= 0) {
        ::close(m_folderFd);
    }
}

std::string PsppSession::UnavailableMessage() const {
    if (m_program.empty()) {
        return "GNU PSPP is not installed: no program named pspp was found on the search path, "
               "so syntax cannot run (install the package pspp).";
    }
    return m_gaveUpWhy;
}

void PsppSession::Start() {
    if (!Available() || m_pid > 0) {
        return;
    }
    winsize size{};
    size.ws_col = kTerminalColumns;
    size.ws_row = 50;
    int master = -1;
    const char* utf8Variable = Utf8LocaleVariable();
    OpenHtmlTerminal();
    // A PSPP that ended may have left an item half written: the new one starts a document
    // of its own, read from its beginning.
    if (m_htmlMaster >= 0) {
        char discard[65536];
        while (::read(m_htmlMaster, discard, sizeof discard) > 0) {
        }
    }
    m_html = PsppHtmlItems();
    // Text for the terminal (the transcript), and the same output as HTML items when the
    // second terminal is there.
    std::vector<const char*> argv{"pspp"};
    const std::string htmlPath = "/proc/self/fd/" + std::to_string(kFolderFd) + "/" + kHtmlLink;
    const std::string width = "width=" + std::to_string(kTerminalColumns);
    if (m_htmlMaster >= 0) {
        argv.insert(argv.end(), {"-o", htmlPath.c_str(), "-O", "format=html", "-o", "/dev/stdout",
                                 "-O", "format=txt", "-O", "device=terminal", "-O", "charts=none",
                                 "-O", "box=unicode", "-O", width.c_str()});
    }
    argv.push_back(nullptr);
    // PSPP opens its journal in its folder as it starts: a file of ours, private, not
    // whatever might stand at the name. (Its first command turns the journal off.)
    ::unlinkat(m_folderFd, kJournal, 0);
    if (const int journal = ::openat(m_folderFd, kJournal,
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        journal >= 0) {
        ::close(journal);
    }
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) {
        m_gaveUp = true;
        m_gaveUpWhy = std::string("PSPP cannot be started: ") + std::strerror(errno) + ".";
        emit SessionEnded(QString::fromStdString(m_gaveUpWhy));
        return;
    }
    if (pid == 0) {
        ::fchmod(STDIN_FILENO, 0600); // the terminal is ours alone (see OpenHtmlTerminal)
        ::setenv("TERM", "dumb", 1);
        ::setenv("INPUTRC", "/dev/null", 1);
        ::unsetenv("COLUMNS");
        ::unsetenv("LINES");
        if (utf8Variable != nullptr) {
            ::setenv(utf8Variable, "C.UTF-8", 1);
        }
        // The private folder as kFolderFd (without close-on-exec), and nothing else.
        if (m_folderFd == kFolderFd) {
            ::fcntl(kFolderFd, F_SETFD, 0);
        } else if (::dup2(m_folderFd, kFolderFd) != kFolderFd) {
            ::_exit(126);
        }
        ::closefrom(kFolderFd + 1);
        // PSPP starts a journal file in its folder at once: let that be our private one.
        if (::fchdir(kFolderFd) != 0) {
            ::_exit(126);
        }
        ::execv(m_program.c_str(), const_cast<char**>(argv.data()));
        ::_exit(127);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    m_pid = pid;
    m_master = master;
    m_ready = false;
    m_settingUp = false;
    m_transcript = PsppTranscript();
    m_startedAt = Clock::now();
    m_notifier = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PsppSession::OnReadable);
    m_watch.start();
}

void PsppSession::CheckAlive() {
    // A child of PSPP's (HOST) may keep the terminal open after PSPP died, so the end
    // of the terminal alone does not tell.
    int status = 0;
    if (m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_reaped = true;
        m_reapedStatus = status;
        OnEnded();
    }
}

void PsppSession::Stop() {
    m_watch.stop();
    m_notifier.reset();
    if (m_pid > 0) {
        int status = 0;
        if (m_ready) {
            WriteAll("FINISH.\n");
        }
        if (!WaitFor(m_pid, status, std::chrono::milliseconds(m_ready ? 2000 : 0))) {
            ::kill(m_pid, SIGTERM);
            if (!WaitFor(m_pid, status, std::chrono::milliseconds(1000))) {
                // PSPP leads its own process group: a HOST child goes with it.
                ::kill(-m_pid, SIGKILL);
                ::kill(m_pid, SIGKILL);
                WaitFor(m_pid, status, std::chrono::milliseconds(1000));
            }
        }
        m_pid = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    ::unlinkat(m_folderFd, m_batchName.c_str(), 0);
    ::unlinkat(m_folderFd, kJournal, 0);
    // Charts no batch handed on (PSPP ended mid-run).
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_workFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("output-", 0) == 0 && entry.path().extension() == ".png") {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

void PsppSession::Interrupt() {
    if (!m_running || m_interrupted) {
        return;
    }
    if (!m_sent) {
        // Not typed yet (PSPP is still starting): nothing of it has run.
        Finish({false, kStoppedMessage, {}, {}, 0, 0});
        return;
    }
    m_interrupted = true;
    // PSPP reads the batch file as it goes: what it has not read yet will not run.
    if (const int fd = ::openat(m_folderFd, m_batchName.c_str(),
                                O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        fd >= 0) {
        ::ftruncate(fd, 0);
        ::close(fd);
    }
    WriteAll("\x03");
    const std::uint64_t batch = m_batchNo;
    QTimer::singleShot(kRetypeMarkerMs, this, [this, batch] {
        if (m_running && m_interrupted && m_batchNo == batch && m_master >= 0) {
            TypeMarker("-stop");
        }
    });
    m_interruptDeadline.start();
}

void PsppSession::Kill() {
    if (m_pid > 0) {
        ::kill(-m_pid, SIGKILL);
        ::kill(m_pid, SIGKILL);
    }
}

void PsppSession::TypeMarker(std::string_view extra) {
    char marker[64];
    std::snprintf(marker, sizeof marker, "QS-%016llx-%llu%.*s",
                  static_cast<unsigned long long>(m_nonce),
                  static_cast<unsigned long long>(m_batchNo), static_cast<int>(extra.size()),
                  extra.data());
    const std::string echo = "ECHO '" + std::string(marker) + "'.";
    m_transcript.BeginBatch({echo}, marker, m_batchFile);
    WriteAll(echo + "\n");
}

void PsppSession::RunBatch(const std::string& syntax, const std::string& folder,
                           const MessagePlace& place) {
    m_running = true;
    m_place = place;
    m_interrupted = false;
    // A folder name with a line break cannot be typed; the start folder stays then.
    m_folder = folder.find_first_of("\r\n") == std::string::npos ? folder : std::string();
    m_sent = false;
    m_pending = syntax;
    m_output.clear();
    m_items.clear();
    if (!Available()) {
        Finish({false, UnavailableMessage(), {}, {}, 0, 0});
        return;
    }
    if (m_pid < 0) {
        Start();
    }
    if (m_ready) {
        SendBatch();
    }
}

void PsppSession::SendSetup() {
    // Back to the folder relative names mean, and no journal written anywhere. (A folder
    // name with a line break cannot be typed; relative names then stay private.)
    const bool typable = m_startFolder.find_first_of("\r\n") == std::string::npos;
    const std::string cd = typable ? "CD " + SyntaxQuoted(m_startFolder) + "." : "SHOW DIRECTORY.";
    // The commands are printed back to the HTML alone, where they head their output; the
    // text transcript stays as it was.
    const std::string journal = "SET JOURNAL=OFF PRINTBACK=LISTING.";
    const std::string echo = "ECHO 'QS-setup'.";
    m_transcript.BeginBatch({journal, cd, echo}, "QS-setup", {});
    m_typedCommands = {journal, cd, echo};
    m_settingUp = true;
    if (!WriteAll(journal + "\n" + cd + "\n" + echo + "\n")) {
        m_settingUp = false;
        m_ready = true; // PSPP still runs, only in another folder
    }
}

namespace {

// Whether the syntax sets PRINTBACK itself: then it keeps the user's setting.
bool MentionsPrintback(std::string_view text) {
    static constexpr std::string_view kWord = "PRINTBACK";
    const auto it = std::search(text.begin(), text.end(), kWord.begin(), kWord.end(),
                                [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
    return it != text.end();
}

} // namespace

void PsppSession::SendBatch() {
    m_sent = true;
    // A new file of our own each time: whatever stands at the name (a FIFO or a link put
    // there) is neither written through nor read by PSPP.
    ::unlinkat(m_folderFd, m_batchName.c_str(), 0);
    const std::string text = BatchFileText(m_pending);
    const int fd = ::openat(m_folderFd, m_batchName.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    std::size_t done = 0;
    while (fd >= 0 && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    const int err = errno;
    if (fd < 0 || done < text.size() || ::close(fd) != 0) {
        Finish({false,
                "cannot write the batch file " + m_workFolder + "/" + m_batchName + ": " +
                    std::strerror(err),
                {},
                {}, 0, 0});
        return;
    }
    char marker[48];
    std::snprintf(marker, sizeof marker, "QS-%016llx-%llu", static_cast<unsigned long long>(m_nonce),
                  static_cast<unsigned long long>(++m_batchNo));
    const std::string insert = "INSERT FILE=" + SyntaxQuoted(m_batchFile) +
                               " SYNTAX=INTERACTIVE ERROR=CONTINUE CD=NO ENCODING='UTF-8'.";
    const std::string echo = "ECHO '" + std::string(marker) + "'.";
    // Printed when the marker starts, unless the batch left a block open that takes in
    // every later command (then nothing after it would ever run).
    const std::string check = std::string(marker) + "-open";
    m_checkMarker = check;
    m_html.SetBatchFile(m_batchFile);
    const std::string echoCheck = "ECHO '" + check + "'.";
    std::vector<std::string> typed{insert, echoCheck, echo};
    if (!m_folder.empty() && m_startFolder.find_first_of("\r\n") == std::string::npos) {
        // For this batch alone, then back to where the editor's names point.
        typed = {"CD " + SyntaxQuoted(m_folder) + ".", insert,
                 "CD " + SyntaxQuoted(m_startFolder) + ".", echoCheck, echo};
    }
    if (text.size() > kPrintbackBytes && !MentionsPrintback(text)) {
        // Printing back a long script's thousands of commands, a line at a time through the
        // terminal, costs PSPP a fifth of its time: such a run's output goes without headings.
        typed.insert(std::find(typed.begin(), typed.end(), insert), "SET PRINTBACK=NONE.");
        typed.insert(std::find(typed.begin(), typed.end(), insert) + 1, "SET PRINTBACK=LISTING.");
    }
    m_transcript.BeginBatch(typed, marker, m_batchFile, check, m_place);
    // The previous batch's last commands may still be printed back after this one starts.
    m_typedCommands.erase(m_typedCommands.begin(),
                          m_typedCommands.end() - std::min<std::ptrdiff_t>(
                                                      static_cast<std::ptrdiff_t>(m_typedCommands.size()), 8));
    m_typedCommands.insert(m_typedCommands.end(), typed.begin(), typed.end());
    m_ready = false;
    if (m_trace) {
        std::fprintf(stderr, "batch> %s\ntyped> %s | %s\n", m_pending.substr(0, 200).c_str(),
                     insert.c_str(), echo.c_str());
    }
    std::string lines;
    for (const std::string& line : typed) {
        lines += line + "\n";
    }
    if (!WriteAll(lines)) {
        Finish({false, std::string("cannot send the syntax to PSPP: ") + std::strerror(errno), {},
                {}, 0, 0});
    }
}

bool PsppSession::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_master, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            return false;
        }
    }
    return true;
}

void PsppSession::OpenHtmlTerminal() {
    if (m_htmlMaster >= 0 || m_folderFd < 0) {
        return;
    }
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        return; // text only, as before
    }
    // Terminals are made writable by the tty group ("write", "wall"): nobody but us may put
    // bytes into what is read as PSPP's output.
    ::fchmod(slave, 0600);
    termios raw {};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    char name[128] = {};
    if (::ttyname_r(slave, name, sizeof name) != 0 ||
        (::unlinkat(m_folderFd, kHtmlLink, 0) != 0 && errno != ENOENT) ||
        ::symlinkat(name, m_folderFd, kHtmlLink) != 0) {
        ::close(master);
        ::close(slave);
        return;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_htmlMaster = master;
    m_htmlSlave = slave;
    m_htmlNotifier = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
    connect(m_htmlNotifier.get(), &QSocketNotifier::activated, this, &PsppSession::OnHtmlReadable);
}

void PsppSession::DrainHtml(std::size_t limit) {
    if (m_htmlMaster < 0) {
        return;
    }
    const std::string ours = "QS-" + m_nonceText;
    const std::size_t before = m_items.size();
    char buffer[65536];
    for (std::size_t taken = 0; taken < limit; taken += sizeof buffer) {
        const ssize_t n = ::read(m_htmlMaster, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        for (OutputItem& item : m_html.Feed({buffer, static_cast<std::size_t>(n)})) {
            // The engine's own markers are not output, nor are the commands it typed.
            if (item.kind == OutputItem::Kind::Text &&
                (item.title.rfind(ours, 0) == 0 || item.title == "QS-setup")) {
                m_htmlCheckSeen = m_htmlCheckSeen || item.title == m_checkMarker;
                continue;
            }
            if (item.kind == OutputItem::Kind::Syntax &&
                std::find(m_typedCommands.begin(), m_typedCommands.end(), item.title) !=
                    m_typedCommands.end()) {
                continue;
            }
            if (m_running && m_sent) {
                if (item.kind == OutputItem::Kind::Chart && !item.image.empty()) {
                    // PSPP names it beside its output file: in the work folder.
                    item.image = m_workFolder + "/" + item.image.substr(item.image.rfind('/') + 1);
                }
                m_items.push_back(std::move(item));
            }
        }
    }
    if (m_items.size() > before) {
        emit ItemsArrived(OutputItems(m_items.begin() + static_cast<std::ptrdiff_t>(before), m_items.end()));
    }
}

void PsppSession::OnHtmlReadable() {
    // A bounded share per wake-up: a long table must not keep the window from its events.
    DrainHtml(1024 * 1024);
    if (m_textDone) {
        FinishWhenItemsAreIn();
    }
}

void PsppSession::FinishWhenItemsAreIn() {
    DrainHtml(SIZE_MAX);
    if (!m_textDone) {
        return;
    }
    // A stopped batch or one that left a block open prints no check: nothing to wait for.
    if (m_htmlMaster >= 0 && !m_htmlCheckSeen && m_textDone->ok) {
        if (!m_itemsDeadline.isActive()) {
            m_itemsDeadline.start();
        }
        return;
    }
    BatchResult result = std::move(*m_textDone);
    m_textDone.reset();
    result.items = std::move(m_items);
    if (m_trace) {
        for (const OutputItem& item : result.items) {
            std::fprintf(stderr, "item> %d %s %s\n", static_cast<int>(item.kind),
                         item.title.substr(0, 80).c_str(), item.image.c_str());
        }
    }
    Finish(std::move(result));
}

void PsppSession::OnReadable() {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            if (m_trace) {
                std::fprintf(stderr, "pspp> %s\n",
                             QByteArray(buffer, static_cast<qsizetype>(n)).toPercentEncoding(" ").constData());
            }
            std::string text = m_transcript.Feed({buffer, static_cast<std::size_t>(n)});
            if (m_interrupted) {
                text = WithoutInterruptEcho(text);
            }
            if (m_running && m_sent && !text.empty()) {
                m_output += text;
                emit Output(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            break;
        }
        OnEnded(); // EIO or end of file: the terminal's other side is gone
        return;
    }
    if (m_running && m_sent && m_transcript.BatchDone()) {
        m_ready = true;
        const bool open = !m_interrupted && !m_transcript.CheckSeen();
        m_textDone = BatchResult{!m_interrupted && !open,
                                 m_interrupted ? kStoppedMessage
                                 : open        ? kBlockOpenMessage
                                               : std::string(),
                                 std::move(m_output), m_transcript.Messages(),
                                 m_transcript.ErrorCount(), m_transcript.WarningCount(), {}};
        FinishWhenItemsAreIn();
    } else if (m_settingUp && m_transcript.BatchDone()) {
        m_settingUp = false;
        m_ready = true;
        if (m_running) {
            SendBatch();
        }
    } else if (!m_ready && !m_sent && !m_settingUp && m_transcript.AtPrompt()) {
        SendSetup();
    }
}

void PsppSession::OnEnded() {
    // Called from the notifier's own signal: it must outlive this call.
    m_watch.stop();
    m_notifier->setEnabled(false);
    m_notifier.release()->deleteLater();
    ::close(m_master);
    m_master = -1;
    int status = m_reapedStatus;
    if (!m_reaped && !WaitFor(m_pid, status, std::chrono::milliseconds(1000))) {
        ::kill(m_pid, SIGKILL);
        WaitFor(m_pid, status, std::chrono::milliseconds(1000));
    }
    m_pid = -1;
    m_reaped = false;
    m_ready = false;
    const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool stopped = m_interrupted;
    m_interrupted = false;
    m_interruptDeadline.stop();
    std::string why = stopped ? "The run was stopped, and PSPP did not come back from it in time, "
                                "so it was ended"
                              : Describe(status);

    // FINISH is a normal end, however often a script says it; only crashes count.
    m_quickDeaths = !stopped && !finished && Clock::now() - m_startedAt < std::chrono::seconds(3)
                        ? m_quickDeaths + 1
                        : 0;
    if (m_quickDeaths >= 3) {
        m_gaveUp = true;
        m_gaveUpWhy = why + " three times right after starting; syntax cannot run until "
                            "quillstone-engine is started again.";
    }
    const std::string message =
        m_gaveUp ? m_gaveUpWhy
                 : why + "; a new PSPP session has been started, and the data it held are gone.";
    emit SessionEnded(QString::fromStdString(message));
    if (m_running) {
        BatchResult result{finished, finished ? std::string() : message, std::move(m_output),
                           m_transcript.Messages(), m_transcript.ErrorCount(),
                           m_transcript.WarningCount()};
        Finish(std::move(result));
    }
    if (!m_gaveUp) {
        Start();
    }
}

void PsppSession::Finish(BatchResult result) {
    m_itemsDeadline.stop();
    m_textDone.reset();
    m_htmlCheckSeen = false;
    m_items.clear();
    ::unlinkat(m_folderFd, m_batchName.c_str(), 0); // the syntax stays on disk no longer than its run
    m_running = false;
    m_interrupted = false;
    m_interruptDeadline.stop();
    m_sent = false;
    m_pending.clear();
    emit BatchFinished(result);
}

} // namespace qs::engine
