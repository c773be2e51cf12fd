// Windows only: the program's texts are UTF-8; the system's wide functions take UTF-16.
// Going through the ANSI code page instead would lose every character outside it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qs {

inline std::wstring Widen(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::wstring out(static_cast<std::size_t>(
                         ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)),
                     L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(),
                          static_cast<int>(out.size()));
    return out;
}

inline std::string Narrow(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::string out(static_cast<std::size_t>(::WideCharToMultiByte(
                        CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr)),
                    '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(),
                          static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

// The system's text for an error code of GetLastError or the registry functions.
inline std::string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", n);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(code) : Narrow(text);
}

} // namespace qs
