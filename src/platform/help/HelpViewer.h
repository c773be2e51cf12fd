// The system's help and document viewers: keyword lookup in a compiled HTML help file and
// opening a document (a PDF manual) with the program the desktop has for it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qs {

struct HelpResult {
    bool ok = true;
    std::string error; // for the user, when the viewer could not be reached
};

// The language's HTML manual shown in the editor's own help pane: its folder (one page a
// command), or, when it is not installed, the sentence that says what to install.
struct ManualLocation {
    std::string folder;
    std::string missing;
};

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Looks `keyword` up in `helpFile`; an empty keyword opens the file at its index.
    // Where the system has no HTML Help, the file opens in the desktop's viewer for it
    // and the keyword is not looked up.
    virtual HelpResult ShowHelpKeyword(const std::string& keyword, const std::string& helpFile) = 0;
    // Opens `path` as the shell's "open" does; `owner` is the window asking (0 for none).
    virtual HelpResult OpenDocument(const std::string& path, std::uintptr_t owner) = 0;
    // Where help goes to the manual in the help pane instead of the package's help files;
    // nullopt where the system's help files are used (Windows).
    virtual std::optional<ManualLocation> Manual() const { return std::nullopt; }
};

// The system's viewers. On Windows the HTML Help library is loaded with the first viewer
// and released with the last.
std::shared_ptr<HelpViewer> CreateHelpViewer();

} // namespace qs
