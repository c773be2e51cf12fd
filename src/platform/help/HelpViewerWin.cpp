// HTML Help and the shell's "open" on Windows.
#ifdef _WIN32

#include "platform/help/HelpViewer.h"

#include "platform/WinText.h"

#include <windows.h>

#include <shellapi.h>

namespace qs {

namespace {

// The keyword look-up record of HTML Help (HH_AKLINK), declared here because the help
// library is loaded at run time rather than linked.
struct HhAkLink {
    int cbStruct;
    BOOL fReserved;
    LPCSTR pszKeywords;
    LPCSTR pszUrl;
    LPCSTR pszMsgText;
    LPCSTR pszMsgTitle;
    LPCSTR pszWindow;
    BOOL fIndexOnFail;
};
constexpr UINT kHhKeywordLookup = 13; // HH_KEYWORD_LOOKUP
using HtmlHelpAFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

class WindowsHelpViewer final : public HelpViewer {
public:
    WindowsHelpViewer() : m_library(::LoadLibraryA("HHCtrl.OCX")) {
        if (m_library != nullptr) {
            m_htmlHelp = reinterpret_cast<HtmlHelpAFunction>(
                reinterpret_cast<void*>(::GetProcAddress(m_library, "HtmlHelpA")));
        }
    }
    ~WindowsHelpViewer() override {
        if (m_library != nullptr) {
            ::FreeLibrary(m_library);
        }
    }

    HelpResult ShowHelpKeyword(const std::string& keyword, const std::string& helpFile) override {
        // Without the library there is no help to show; HTML Help itself tells the user
        // about a missing file or keyword.
        if (m_htmlHelp == nullptr) {
            return {};
        }
        HhAkLink link{};
        link.cbStruct = sizeof(HhAkLink);
        link.fReserved = FALSE;
        link.pszKeywords = keyword.c_str();
        link.pszUrl = nullptr;
        link.pszMsgText = "No keywords are found";
        link.pszMsgTitle = "Keyword search";
        link.pszWindow = nullptr;
        link.fIndexOnFail = -1;
        m_htmlHelp(nullptr, helpFile.c_str(), kHhKeywordLookup, reinterpret_cast<DWORD_PTR>(&link));
        return {};
    }

    HelpResult OpenDocument(const std::string& path, std::uintptr_t owner) override {
        const std::size_t cut = path.find_last_of('\\');
        const std::string folder =
            cut == std::string::npos ? std::string{} : path.substr(0, cut + 1);
        // The shell shows its own message for a missing file or viewer.
        ::ShellExecuteW(reinterpret_cast<HWND>(owner), L"open", Widen(path).c_str(), nullptr,
                        Widen(folder).c_str(), SW_SHOWNORMAL);
        return {};
    }

private:
    HMODULE m_library = nullptr;
    HtmlHelpAFunction m_htmlHelp = nullptr;
};

} // namespace

std::shared_ptr<HelpViewer> CreateHelpViewer() {
    return std::make_shared<WindowsHelpViewer>();
}

} // namespace qs

#endif
