// File names are UTF-8 in the program; these helpers carry them into std::filesystem and
// back. On Windows a path holds UTF-16, and its constructor from a char string (and its
// string()) goes through the ANSI code page, which cannot hold every name; a char8_t
// string converts as UTF-8 on every platform. Elsewhere the bytes pass unchanged.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace qs {

inline std::filesystem::path PathFromUtf8(std::string_view name) {
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(reinterpret_cast<const char*>(name.data()), name.size());
}

// std::remove for a UTF-8 name: whether the file was there and is gone.
inline bool RemoveFile(const std::string& name) {
    std::error_code ec;
    return std::filesystem::remove(PathFromUtf8(name), ec);
}

} // namespace qs
