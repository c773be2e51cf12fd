// Help and documents on desktops without HTML Help: the file opens in the viewer that the
// desktop (through xdg-open) has for its kind, and the user hears when there is none.
#ifndef _WIN32

#include "platform/help/HelpViewer.h"
#include "platform/shell/Shell.h"

#include <filesystem>

namespace qs {

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

class DesktopHelpViewer final : public HelpViewer {
public:
    HelpResult ShowHelpKeyword(const std::string&, const std::string& helpFile) override {
        return Open(helpFile);
    }
    HelpResult OpenDocument(const std::string& path, std::uintptr_t) override { return Open(path); }
    // PSPP's manual as Debian installs it with PSPP.
    std::optional<ManualLocation> Manual() const override {
        static constexpr const char* kFolder = "/usr/share/doc/pspp/pspp.html";
        std::error_code ec;
        if (std::filesystem::is_regular_file(std::string(kFolder) + "/index.html", ec)) {
            return ManualLocation{kFolder, {}};
        }
        return ManualLocation{{},
                              "PSPP's manual is not installed: install the package \"pspp\" "
                              "(sudo apt install pspp) to read it here."};
    }

private:
    static HelpResult Open(const std::string& path) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            return {false, "This file does not exist:\n" + path};
        }
        const std::string noViewer =
            "There is no program on this system to show this file:\n" + path;
        const std::string opener = FindProgram("xdg-open");
        const std::string mime = FindProgram("xdg-mime");
        if (opener.empty() || mime.empty()) {
            return {false, noViewer};
        }
        // xdg-open says that it found no viewer only through its exit code, and it may
        // wait for the viewer to close; so the question is asked first, and the viewer
        // is started on its own.
        const std::optional<std::string> type =
            ReadProgramOutput(mime, {"query", "filetype", path});
        if (!type || Trimmed(*type).empty()) {
            return {false, noViewer};
        }
        const std::optional<std::string> viewer =
            ReadProgramOutput(mime, {"query", "default", Trimmed(*type)});
        if (!viewer || Trimmed(*viewer).empty()) {
            return {false, noViewer};
        }
        const StartResult started = StartProgram(opener, {path});
        if (!started.ok) {
            return {false, noViewer + " (" + started.error + ")"};
        }
        return {};
    }
};

} // namespace

std::shared_ptr<HelpViewer> CreateHelpViewer() {
    return std::make_shared<DesktopHelpViewer>();
}

} // namespace qs

#endif
