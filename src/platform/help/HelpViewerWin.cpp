// HTML Help and the shell's "open" on Windows.
#ifdef _WIN32

#include "platform/help/HelpViewer.h"
#include "platform/help/HtmlHelpKeywordCall.h"

#include "platform/WinText.h"

#include <windows.h>

#include <shellapi.h>

namespace qs {

HtmlHelpKeywordCall::HtmlHelpKeywordCall(const std::string& keyword,
                                         const std::string& helpFile)
    : m_file(Widen(helpFile)), m_keywords(Widen(keyword)) {
    m_link.cbStruct = sizeof(HhAkLinkW);
    m_link.fReserved = FALSE;
    m_link.pszKeywords = m_keywords.c_str();
    m_link.pszUrl = nullptr;
    m_link.pszMsgText = L"No keywords are found";
    m_link.pszMsgTitle = L"Keyword search";
    m_link.pszWindow = nullptr;
    m_link.fIndexOnFail = -1;
}

namespace {

constexpr UINT kHhKeywordLookup = 13; // HH_KEYWORD_LOOKUP
using HtmlHelpWFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

class WindowsHelpViewer final : public HelpViewer {
public:
    // From the system folder only: a library of that name beside a document must not load.
    WindowsHelpViewer()
        : m_library(::LoadLibraryExW(L"hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        if (m_library != nullptr) {
            m_htmlHelp = reinterpret_cast<HtmlHelpWFunction>(
                reinterpret_cast<void*>(::GetProcAddress(m_library, "HtmlHelpW")));
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
        const HtmlHelpKeywordCall call(keyword, helpFile);
        m_htmlHelp(nullptr, call.File().c_str(), kHhKeywordLookup,
                   reinterpret_cast<DWORD_PTR>(&call.Link()));
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
    HtmlHelpWFunction m_htmlHelp = nullptr;
};

} // namespace

std::shared_ptr<HelpViewer> CreateHelpViewer() {
    return std::make_shared<WindowsHelpViewer>();
}

} // namespace qs

#endif
