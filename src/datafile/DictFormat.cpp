// Small text forms the dictionary printer needs: format specifications, JSON string
// literals and date-time numbers.
#include "datafile/DictPrinter.h"

#include <array>
#include <cstring>
#include <cmath>
#include <cstdio>

namespace qs {

namespace {

struct FormatName {
    int type;
    const char* name;
    bool decimals;
};

constexpr FormatName kFormats[] = {
    {1, "A", false},      {2, "AHEX", false},     {3, "COMMA", true},   {4, "DOLLAR", true},
    {5, "F", true},       {6, "IB", true},        {7, "PIBHEX", false}, {8, "P", true},
    {9, "PIB", true},     {10, "PK", true},       {11, "RB", true},     {12, "RBHEX", false},
    {15, "Z", true},      {16, "N", true},        {17, "E", true},      {20, "DATE", false},
    {21, "TIME", true},   {22, "DATETIME", true}, {23, "ADATE", false}, {24, "JDATE", false},
    {25, "DTIME", true},  {26, "WKDAY", false},   {27, "MONTH", false}, {28, "MOYR", false},
    {29, "QYR", false},   {30, "WKYR", false},    {31, "PCT", true},    {32, "DOT", true},
    {33, "CCA", true},    {34, "CCB", true},      {35, "CCC", true},    {36, "CCD", true},
    {37, "CCE", true},    {38, "EDATE", false},   {39, "SDATE", false}, {40, "MTIME", true},
    {41, "YMDHMS", true},
};

// Length of the valid UTF-8 sequence at s[i], 0 when the byte starts none.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80                 ? 1
                      : b >= 0xC2 && b <= 0xDF ? 2
                      : b >= 0xE0 && b <= 0xEF ? 3
                      : b >= 0xF0 && b <= 0xF4 ? 4
                                               : 0;
    if (len == 0 || i + len > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    const auto b1 = static_cast<unsigned char>(s[i + 1 < s.size() ? i + 1 : i]);
    // Overlong forms, surrogates and code points above U+10FFFF are not valid either.
    if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0) || (b == 0xF0 && b1 < 0x90) ||
        (b == 0xF4 && b1 >= 0x90)) {
        return 0;
    }
    return len;
}

// Bytes a JSON string literal takes as they are: printable ASCII but quote and backslash.
constexpr auto kPlain = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c) {
        plain[std::size_t(c)] = c != '"' && c != '\\';
    }
    return plain;
}();

// Whether all eight bytes of a word are plain (see kPlain), tested at once.
inline bool PlainWord(std::uint64_t x) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    const std::uint64_t belowSpace = (x - ones * 0x20) & ~x & highs;
    return ((x | belowSpace) & highs) == 0 && hasZero(x ^ (ones * 0x7F)) == 0 &&
           hasZero(x ^ (ones * '"')) == 0 && hasZero(x ^ (ones * '\\')) == 0;
}

} // namespace

std::string FormatSpecText(int type, int width, int decimals) {
    for (const FormatName& f : kFormats) {
        if (f.type == type) {
            std::string text = f.name + std::to_string(width);
            if (f.decimals) {
                text += "." + std::to_string(decimals);
            }
            return text;
        }
    }
    return "FORMAT" + std::to_string(type) + "_" + std::to_string(width) + "." +
           std::to_string(decimals);
}

std::string JsonString(std::string_view text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        // Runs of printable ASCII without quote or backslash are copied at once.
        std::size_t run = i;
        for (std::uint64_t word = 0; run + 8 <= text.size(); run += 8) {
            std::memcpy(&word, text.data() + run, 8);
            if (!PlainWord(word)) {
                break;
            }
        }
        while (run < text.size() && kPlain[static_cast<unsigned char>(text[run])]) {
            ++run;
        }
        if (run > i) {
            out.append(text.substr(i, run - i));
            i = run;
            continue;
        }
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            const std::size_t len = Utf8Length(text, i);
            if (len == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, len));
                i += len;
            }
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        }
        }
    }
    out += '"';
}

std::string DateTimeText(double timeStamp) {
    if (!std::isfinite(timeStamp)) {
        return "";
    }
    long long seconds = std::llround(timeStamp * 86400.0);
    long long days = seconds / 86400;
    seconds -= days * 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01, shifted from the 1899-12-30 epoch.
    const long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char buf[128];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", y, m, d,
                  seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buf;
}

} // namespace qs
