// Small UTF-8 helpers shared by the parsers and the file readers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qs {

// Appends one code point (up to U+10FFFF) as UTF-8.
inline void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Whether no byte of s is above 0x7F; eight bytes are tested at a time, because labels
// of large dictionaries pass through here by the hundred thousand.
inline bool IsAscii(std::string_view s) {
    std::size_t i = 0;
    for (std::uint64_t word = 0; i + 8 <= s.size(); i += 8) {
        std::memcpy(&word, s.data() + i, 8);
        if ((word & 0x8080808080808080ull) != 0) {
            return false;
        }
    }
    for (; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0x80) != 0) {
            return false;
        }
    }
    return true;
}

// Length of the valid UTF-8 sequence at i, or 0 (overlong forms, surrogates and code
// points beyond U+10FFFF are not valid).
inline std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        return 1;
    }
    const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    if (c < 0xC2 || c > 0xF4 || i + len > s.size()) {
        return 0;
    }
    const auto c1 = static_cast<unsigned char>(s[i + 1]);
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) ||
        (c == 0xF4 && c1 > 0x8F)) {
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return len;
}

// The offset of the first byte that is not part of valid UTF-8; npos when all is valid.
inline std::size_t FirstInvalidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8SequenceLength(s, i);
        if (n == 0) {
            return i;
        }
        i += n;
    }
    return std::string_view::npos;
}

} // namespace qs
