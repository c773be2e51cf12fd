// The web browser's command line as the system's file associations give it, split into
// the program to start and the browser's own parameters.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qs {

class TRegistry;

struct BrowserCommand {
    std::string program;    // empty when no program could be found
    std::string parameters; // without quotes and without "%1"-style placeholders
};

// The "shell\open\command" of the first of .HTM, .HTML, .SHTML, .SHTM under
// HKEY_CLASSES_ROOT that gives one, through the file type named by the extension key or
// the extension key itself; empty when none does.
std::string FindBrowserCommandLine(TRegistry& registry);

// The program is the text up to the last ".exe", ".bat" or ".com" (any case), without
// its opening quote; the text after it gives the parameters. A command line without any
// of them names the program in its first word (a quoted path counts as one word).
BrowserCommand SplitBrowserCommandLine(std::string_view commandLine);

// What the browser is started with: the address, a blank, the browser's own parameters.
std::string BrowserParameters(const std::string& url, const BrowserCommand& command);

// A web link that could not be opened; the message is "Weblink error", a carriage return
// and the reason.
class EWeblink : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Starts a program with one parameter text; false when the system could not start it.
using ProgramStarter =
    std::function<bool(const std::string& program, const std::string& parameters)>;

// Opens `url` in the browser that `commandLine` names, through `start`. Raises EWeblink
// when the command line names no program or the program does not start.
void OpenInBrowser(const std::string& url, std::string_view commandLine,
                   const ProgramStarter& start);

} // namespace qs
