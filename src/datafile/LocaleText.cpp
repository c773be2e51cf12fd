// Locale-aware text helpers of the dictionary: case folding, collation, number text.
#include "datafile/LocaleText.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <locale>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qs {

namespace {

bool IsByteOrderLocale(const std::string& name) {
    return name == "C" || name == "POSIX" || name == "C.UTF-8" || name == "C.utf8";
}

// The user's locale, read once from the environment. Case folding needs a UTF-8 aware
// character table even when the user's locale is the plain "C" one.
struct UserLocale {
    std::locale collateLocale = std::locale::classic();
    std::locale ctypeLocale = std::locale::classic();
    bool byteOrder = true;
    char decimalPoint = '.';

    UserLocale() {
        try {
            collateLocale = std::locale("");
        } catch (const std::exception&) {
            collateLocale = std::locale::classic();
        }
        byteOrder = IsByteOrderLocale(collateLocale.name());
        ctypeLocale = collateLocale;
        if (byteOrder) {
            try {
                ctypeLocale = std::locale("C.UTF-8");
            } catch (const std::exception&) {
                ctypeLocale = collateLocale;
            }
        }
        decimalPoint = std::use_facet<std::numpunct<char>>(collateLocale).decimal_point();
    }
};

const UserLocale& User() {
    static const UserLocale user;
    return user;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

// Decodes one UTF-8 sequence at s[i]; 0 length means the byte is not valid UTF-8.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (b >= 0xF5 || len == 0 || i + len > s.size()) {
        return 0;
    }
    cp = b & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    return len;
}

// Lower-cases every character; bytes that are not valid UTF-8 stay as they are.
std::string Fold(std::string_view s) {
#ifndef _WIN32
    const auto& ctype = std::use_facet<std::ctype<wchar_t>>(User().ctypeLocale);
#endif
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if ((s[i] & 0x80) == 0) {
            out += AsciiLower(s[i++]);
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(s, i, cp);
        if (len == 0) {
            out += s[i++];
            continue;
        }
#ifdef _WIN32
        // wchar_t has 16 bits there, and the C runtime's tables know ASCII letters only.
        char32_t lower = cp;
        if (cp <= 0xFFFF) {
            wchar_t unit = static_cast<wchar_t>(cp);
            ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &unit, 1, &unit, 1, nullptr,
                            nullptr, 0);
            lower = unit;
        }
#else
        const auto lower = static_cast<char32_t>(ctype.tolower(static_cast<wchar_t>(cp)));
#endif
        AppendUtf8(out, lower <= 0x10FFFF ? lower : cp);
        i += len;
    }
    return out;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

int CompareTextUserLocale(std::string_view a, std::string_view b) {
    const UserLocale& user = User();
    if (user.byteOrder) {
        // Folding changes no byte before the first non-ASCII one, so an ASCII prefix up to
        // the first difference decides as the folded comparison below would.
        const std::size_t n = std::min(a.size(), b.size());
        std::size_t i = 0;
        for (; i < n; ++i) {
            if (((a[i] | b[i]) & 0x80) != 0) {
                break;
            }
            const char ca = AsciiLower(a[i]);
            const char cb = AsciiLower(b[i]);
            if (ca != cb) {
                return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
            }
        }
        if (i == n && IsAscii(a.substr(n)) && IsAscii(b.substr(n))) {
            return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
        }
    }
    const std::string fa = Fold(a);
    const std::string fb = Fold(b);
    if (!user.byteOrder) {
        const auto& coll = std::use_facet<std::collate<char>>(user.collateLocale);
        const int c =
            coll.compare(fa.data(), fa.data() + fa.size(), fb.data(), fb.data() + fb.size());
        if (c != 0) {
            return Sign(c);
        }
    }
    // UTF-8 byte order is code point order; it also breaks collation ties.
    return Sign(fa.compare(fb));
}

std::string FloatToText(double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    if (value == 0) {
        return "0";
    }
    // Whole numbers below 1e15 print as plain integers (the usual label values); this
    // gives the text the general path below gives them, without its formatting cost.
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        return std::to_string(static_cast<long long>(value));
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value); // 15 significant digits, rounded
    std::string text(buf);
    const std::size_t ePos = text.find('e');
    const int exponent = std::stoi(text.substr(ePos + 1));
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits += text[i];
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    const bool negative = value < 0;
    const char dp = User().decimalPoint;
    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += dp;
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += dp;
        out += std::string(std::size_t(-exponent - 1), '0');
        out += digits;
    } else {
        const auto intLen = std::size_t(exponent + 1);
        if (digits.size() <= intLen) {
            out += digits + std::string(intLen - digits.size(), '0');
        } else {
            out += digits.substr(0, intLen);
            out += dp;
            out += digits.substr(intLen);
        }
    }
    return out;
}

} // namespace qs
