#include "about/BrowserCommand.h"

#include "platform/registry/Registry.h"

#include <algorithm>
#include <array>

namespace qs {

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlankOrControl(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Where the last ".EXE", ".BAT" or ".COM" (any case) starts; npos when there is none.
std::size_t FindLastExtension(std::string_view text) {
    static constexpr std::array<std::string_view, 3> kExtensions = {".EXE", ".BAT", ".COM"};
    for (std::size_t i = text.size(); i >= 4; --i) {
        const std::string_view four = text.substr(i - 4, 4);
        for (std::string_view ext : kExtensions) {
            if (std::equal(four.begin(), four.end(), ext.begin(),
                           [](char a, char b) { return Upper(a) == b; })) {
                return i - 4;
            }
        }
    }
    return std::string_view::npos;
}

// Trimmed, without double quotes, without each placeholder ('%' up to the next blank).
std::string CleanParameters(std::string_view rest) {
    std::string text = Trim(rest);
    std::erase(text, '"');
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            while (i < text.size() && text[i] != ' ') {
                ++i;
            }
            if (i == text.size()) {
                break;
            }
        }
        out += text[i];
    }
    return Trim(out);
}

std::string DefaultValue(TRegistry& registry, const std::string& key) {
    if (!registry.OpenKeyReadOnly(key)) {
        return {};
    }
    // Longer values are used whole: cutting a path at a fixed length would only break it.
    std::string value;
    try {
        value = registry.ReadString("");
    } catch (const ERegistryException&) {
        // A default value that is not text gives no command line.
    }
    registry.CloseKey();
    return value;
}

} // namespace

std::string FindBrowserCommandLine(TRegistry& registry) {
    registry.SetRootKey(RootKey::ClassesRoot);
    for (const char* extension : {".HTM", ".HTML", ".SHTML", ".SHTM"}) {
        const std::string key = std::string("\\") + extension;
        if (!registry.KeyExists(key)) {
            continue;
        }
        const std::string fileType = DefaultValue(registry, key);
        if (!fileType.empty()) {
            if (std::string command = DefaultValue(registry, "\\" + fileType + "\\shell\\open\\command");
                !command.empty()) {
                return command;
            }
        }
        if (std::string command = DefaultValue(registry, key + "\\shell\\open\\command");
            !command.empty()) {
            return command;
        }
    }
    return {};
}

BrowserCommand SplitBrowserCommandLine(std::string_view commandLine) {
    BrowserCommand command;
    std::string_view rest;
    if (const std::size_t ext = FindLastExtension(commandLine); ext != std::string_view::npos) {
        command.program = std::string(commandLine.substr(0, ext + 4));
        rest = commandLine.substr(ext + 4);
        if (!command.program.empty() && command.program.front() == '"') {
            command.program.erase(0, 1);
        }
    } else {
        // No known extension: the first word is the program, a quoted path being one word.
        const std::string line = Trim(commandLine);
        std::size_t end = 0;
        if (!line.empty() && line.front() == '"') {
            end = line.find('"', 1);
            command.program = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
            end = end == std::string::npos ? line.size() : end + 1;
        } else {
            end = std::min(line.find(' '), line.size());
            command.program = line.substr(0, end);
        }
        if (command.program.starts_with('%')) {
            command.program.clear(); // a bare "%1" is the document, not a program
        }
        command.parameters = CleanParameters(std::string_view(line).substr(end));
        return command;
    }
    if (!rest.empty()) {
        command.parameters = CleanParameters(rest);
    }
    return command;
}

std::string BrowserParameters(const std::string& url, const BrowserCommand& command) {
    return url + " " + command.parameters;
}

void OpenInBrowser(const std::string& url, std::string_view commandLine,
                   const ProgramStarter& start) {
    const BrowserCommand command = SplitBrowserCommandLine(commandLine);
    if (command.program.empty()) {
        throw EWeblink("Weblink error\rFailed to find path for the webbrowser");
    }
    if (!start(command.program, BrowserParameters(url, command))) {
        throw EWeblink("Weblink error\rFailed to launch the internet browser");
    }
}

} // namespace qs
