// Windows only: the arguments of an HTML Help keyword lookup in the wide form the system
// takes. Names and keywords are UTF-8 in the program; the narrow entry point would read
// them in the ANSI code page and miss a help file in a folder named outside it.
#pragma once

#include <windows.h>

#include <string>

namespace qs {

// The keyword look-up record of HTML Help (HH_AKLINK, wide form), declared here because
// the help library is loaded at run time rather than linked.
struct HhAkLinkW {
    int cbStruct;
    BOOL fReserved;
    LPCWSTR pszKeywords;
    LPCWSTR pszUrl;
    LPCWSTR pszMsgText;
    LPCWSTR pszMsgTitle;
    LPCWSTR pszWindow;
    BOOL fIndexOnFail;
};

// The help file's name and the lookup record, whose pointers refer to texts held here; so
// it stays where it was made.
class HtmlHelpKeywordCall {
public:
    HtmlHelpKeywordCall(const std::string& keyword, const std::string& helpFile);
    HtmlHelpKeywordCall(const HtmlHelpKeywordCall&) = delete;
    HtmlHelpKeywordCall& operator=(const HtmlHelpKeywordCall&) = delete;

    const std::wstring& File() const { return m_file; }
    const HhAkLinkW& Link() const { return m_link; }

private:
    std::wstring m_file;
    std::wstring m_keywords;
    HhAkLinkW m_link{};
};

} // namespace qs
