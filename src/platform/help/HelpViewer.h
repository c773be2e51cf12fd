// The system's help and document viewers: keyword lookup in a compiled HTML help file and
// opening a document (a PDF manual) with the program the desktop has for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qs {

struct HelpResult {
    bool ok = true;
    std::string error; // for the user, when the viewer could not be reached
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
};

// The system's viewers. On Windows the HTML Help library is loaded with the first viewer
// and released with the last.
std::shared_ptr<HelpViewer> CreateHelpViewer();

} // namespace qs
