// The Windows-1252 code page, the single-byte encoding of older syntax files: its bytes
// as code points and back.
#pragma once

namespace qs {

// Windows-1252 0x80..0x9F; zero marks the unassigned bytes.
inline constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

inline char32_t Cp1252ToUnicode(unsigned char b) {
    if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0) {
        return kCp1252High[b - 0x80];
    }
    return b;
}

// -1 when the code point has no byte in Windows-1252.
inline int UnicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (int i = 0; i < 32; ++i) {
        const char32_t mapped =
            kCp1252High[i] != 0 ? kCp1252High[i] : static_cast<char32_t>(0x80 + i);
        if (mapped == cp) {
            return 0x80 + i;
        }
    }
    return -1;
}

} // namespace qs
