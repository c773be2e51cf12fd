// PSPP's output of values by format; see ValueFormat.h. The rules are PSPP's (its
// manual and its observed output): a number is first written with the format's decimals,
// rounded half away from zero; what does not fit in the width loses decimals, then
// goes to scientific notation, then to asterisks.
#include "datafile/ValueFormat.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace qs {

namespace {

enum Type {
    kAhex = 2,
    kComma = 3,
    kDollar = 4,
    kF = 5,
    kIb = 6,
    kPibhex = 7,
    kP = 8,
    kPib = 9,
    kPk = 10,
    kRb = 11,
    kRbhex = 12,
    kZ = 15,
    kN = 16,
    kE = 17,
    kDate = 20,
    kTime = 21,
    kDateTime = 22,
    kADate = 23,
    kJDate = 24,
    kDTime = 25,
    kWkday = 26,
    kMonth = 27,
    kMoyr = 28,
    kQyr = 29,
    kWkyr = 30,
    kPct = 31,
    kDot = 32,
    kEDate = 38,
    kSDate = 39,
    kMTime = 40,
    kYmdhms = 41,
};

constexpr const char* kWeekdays[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                     "THURSDAY", "FRIDAY", "SATURDAY"};
constexpr const char* kMonths[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                   "MAY",       "JUNE",     "JULY",     "AUGUST",
                                   "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
constexpr const char* kMonthAbbrevs[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool IsDateType(int type) {
    switch (type) {
    case kDate:
    case kADate:
    case kEDate:
    case kJDate:
    case kSDate:
    case kQyr:
    case kMoyr:
    case kWkyr:
    case kDateTime:
    case kYmdhms:
        return true;
    default:
        return false;
    }
}

bool IsTimeType(int type) {
    return type == kTime || type == kDTime || type == kMTime;
}

// PSPP's template of a date or time format: the longer one where the width has room.
const char* DateTemplate(int type, int width) {
    const char* shortForm = "";
    const char* longForm = "";
    switch (type) {
    case kDate:
        shortForm = "dd-mmm-yy", longForm = "dd-mmm-yyyy";
        break;
    case kADate:
        shortForm = "mm/dd/yy", longForm = "mm/dd/yyyy";
        break;
    case kEDate:
        shortForm = "dd.mm.yy", longForm = "dd.mm.yyyy";
        break;
    case kJDate:
        shortForm = "yyddd", longForm = "yyyyddd";
        break;
    case kSDate:
        shortForm = "yy/mm/dd", longForm = "yyyy/mm/dd";
        break;
    case kQyr:
        shortForm = "q Q yy", longForm = "q Q yyyy";
        break;
    case kMoyr:
        shortForm = "mmm yy", longForm = "mmm yyyy";
        break;
    case kWkyr:
        shortForm = "ww WK yy", longForm = "ww WK yyyy";
        break;
    case kDateTime:
        shortForm = "dd-mmm-yyyy HH:MM", longForm = "dd-mmm-yyyy HH:MM:SS";
        break;
    case kYmdhms:
        shortForm = "yyyy-mm-dd HH:MM", longForm = "yyyy-mm-dd HH:MM:SS";
        break;
    case kMTime:
        shortForm = "MM", longForm = "MM:SS";
        break;
    case kTime:
        shortForm = "HH:MM", longForm = "HH:MM:SS";
        break;
    case kDTime:
        shortForm = "D HH:MM", longForm = "D HH:MM:SS";
        break;
    default:
        break;
    }
    return width >= static_cast<int>(std::strlen(longForm)) ? longForm : shortForm;
}

// Days since 1 January 1970 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

// Day 0 of PSPP's dates is 14 October 1582.
constexpr std::int64_t kDay0 = -141428;

// Appends value to out as printf's "%0*d" would.
void AppendInt(std::string& out, std::int64_t value, int width, char pad = '0') {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value);
    const int n = static_cast<int>(r.ptr - digits) + (value < 0 ? 1 : 0);
    if (value < 0 && pad != '0')
        out.append(static_cast<std::size_t>(std::max(0, width - n)), pad), out += '-';
    else {
        if (value < 0)
            out += '-';
        out.append(static_cast<std::size_t>(std::max(0, width - n)), pad);
    }
    out.append(digits, r.ptr);
}

// printf's "%.*f" of a non-negative value (exact, ties to even), as to_chars gives it.
std::size_t Fixed(char* to, std::size_t room, double value, int decimals) {
    const auto r = std::to_chars(to, to + room, value, std::chars_format::fixed, decimals);
    return static_cast<std::size_t>(r.ptr - to);
}

} // namespace

int ValueFormatter::DefaultEpoch() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    const bool ok = localtime_s(&parts, &now) == 0;
#else
    const bool ok = localtime_r(&now, &parts) != nullptr;
#endif
    return (ok ? parts.tm_year + 1900 : 2000) - 69;
}

ValueFormatter::ValueFormatter(ValueFormat format, int epoch) : m_format(format), m_epoch(epoch) {
    m_format.width = std::clamp(m_format.width, 1, 32767);
    m_format.decimals = std::clamp(m_format.decimals, 0, 16);
    switch (m_format.type) {
    case kComma:
        m_style.grouping = ',';
        break;
    case kDot:
        m_style.grouping = '.', m_style.decimal = ',';
        break;
    case kDollar:
        m_style.prefix = "$", m_style.grouping = ',';
        break;
    case kPct:
        m_style.suffix = "%";
        break;
    case kIb:
    case kPibhex:
    case kP:
    case kPib:
    case kPk:
    case kRb:
    case kRbhex:
        // Binary formats' bytes are no text: shown as F of the same width.
        m_format.type = kF;
        break;
    default:
        break;
    }
    m_negPrefixLength = static_cast<int>(std::strlen(m_style.negPrefix));
    m_affixLength = static_cast<int>(std::strlen(m_style.prefix) + std::strlen(m_style.suffix));
    m_widthPower = std::pow(10.0, m_format.width);
    m_decimalsPower = std::pow(10.0, m_format.decimals);
    m_decimalLimit = 1.5 * m_widthPower;
    m_text.reserve(64);
}

void ValueFormatter::PadLeft(const char* text, std::size_t length) {
    const auto width = static_cast<std::size_t>(m_format.width);
    m_text.clear();
    if (length >= width) {
        m_text.append(text, width);
    } else {
        m_text.append(width - length, ' ');
        m_text.append(text, length);
    }
}

void ValueFormatter::Missing() {
    const int w = m_format.width;
    m_text.assign(static_cast<std::size_t>(w), ' ');
    if (m_format.type == kN) {
        m_text[static_cast<std::size_t>(w - 1)] = '.';
        return;
    }
    const int dot = m_format.type == kPct ? 2 : m_format.type == kE ? 5 : 1;
    m_text[static_cast<std::size_t>(std::max(0, w - m_format.decimals - dot))] = '.';
}

void ValueFormatter::Overflow() {
    m_text.assign(static_cast<std::size_t>(m_format.width), '*');
}

void ValueFormatter::Infinite(double value) {
    if (m_format.width < 3) {
        Overflow();
        return;
    }
    const char* text = std::isnan(value) ? "NaN" : value > 0 ? "+Infinity" : "-Infinity";
    PadLeft(text, std::strlen(text));
}

std::string_view ValueFormatter::Number(double value) {
    const int type = m_format.type;
    if (value == -DBL_MAX) {
        Missing();
    } else if (type == kN || type == kZ) {
        Digits(value, type == kZ);
    } else if (IsDateType(type) || IsTimeType(type)) {
        Date(value);
    } else if (type == kWkday) {
        Name(value, kWeekdays, 7);
    } else if (type == kMonth) {
        Name(value, kMonths, 12);
    } else if (!std::isfinite(value)) {
        Infinite(value);
    } else {
        bool done = false;
        if (type != kE && std::fabs(value) < m_decimalLimit) {
            // The value's digits with two more decimals than the format's, which decide
            // the rounding; a tie ("50") is looked at with all the digits a double has.
            const int d = m_format.decimals;
            std::size_t n;
            int decimals = 2;
            if (d == 0) {
                n = Fixed(m_digits, sizeof m_digits - 4, std::fabs(std::round(value)), 0);
                std::memcpy(m_digits + n, ".00", 3);
                n += 3;
            } else {
                decimals = d + 2;
                n = Fixed(m_digits, sizeof m_digits, std::fabs(value), decimals);
                if (n >= 2 && m_digits[n - 2] == '5' && m_digits[n - 1] == '0') {
                    int exponent = 0;
                    std::frexp(value, &exponent);
                    const int more = (DBL_DIG + 1) - exponent * 3 / 10;
                    if (more > d + 2) {
                        decimals = more;
                        n = Fixed(m_digits, sizeof m_digits, std::fabs(value), decimals);
                    }
                }
            }
            m_digits[n] = '\0';
            if (m_digits[0] == '0')
                std::memmove(m_digits, m_digits + 1, n--);
            m_integerDigits = static_cast<int>(n) - decimals - 1;
            m_leadingZeros = static_cast<int>(std::strspn(m_digits, "0."));
            m_leadingNines = static_cast<int>(std::strspn(m_digits, "9."));
            m_negative = value < 0;
            done = Decimal(true) || Scientific(value, true) || Decimal(false);
        }
        if (!done && !Scientific(value, false))
            Overflow();
    }
    return m_text;
}

bool ValueFormatter::Decimal(bool requireAffixes) {
    const int w = m_format.width;
    const int affixes = m_affixLength;
    for (int decimals = m_format.decimals; decimals >= 0; --decimals) {
        int integerDigits = m_integerDigits;
        bool negative = m_negative;
        int width = m_integerDigits + (decimals > 0 ? decimals + 1 : 0);
        const char roundDigit = m_digits[m_integerDigits + decimals + 1];
        const bool roundUp = roundDigit >= '5';
        if (roundUp) {
            if (m_leadingNines >= width) // 9.99 becomes 10.0: one digit more
                ++width, ++integerDigits;
        } else if (m_leadingZeros >= width) {
            negative = false; // nothing but zeros is left: no sign
            if (m_integerDigits == 0 && decimals == 0)
                width = 1, integerDigits = 1;
        }
        if (negative)
            width += m_negPrefixLength;
        if (width > w)
            continue;
        const bool addAffixes = width + affixes <= w;
        if (addAffixes)
            width += affixes;
        else if (requireAffixes)
            continue;
        const bool grouping = m_style.grouping != 0 && integerDigits > 3 &&
                              (m_format.decimals == 0 || decimals > 0) &&
                              width + (integerDigits - 1) / 3 <= w;
        if (grouping)
            width += (integerDigits - 1) / 3;

        // The digits, rounded.
        char magnitude[80];
        const int base = m_integerDigits + (decimals > 0 ? decimals + 1 : 0);
        if (roundUp && m_leadingNines < base) {
            std::memcpy(magnitude, m_digits, static_cast<std::size_t>(base));
            for (int i = base - 1; i >= 0; --i) {
                if (magnitude[i] == '9') {
                    magnitude[i] = '0';
                } else if (magnitude[i] != '.') {
                    ++magnitude[i];
                    break;
                }
            }
        } else if (roundUp) {
            magnitude[0] = '1';
            std::memset(magnitude + 1, '0', static_cast<std::size_t>(m_integerDigits));
            if (decimals > 0) {
                magnitude[m_integerDigits + 1] = '.';
                std::memset(magnitude + m_integerDigits + 2, '0',
                            static_cast<std::size_t>(decimals));
            }
        } else if (m_integerDigits != 0 || decimals != 0) {
            std::memcpy(magnitude, m_digits, static_cast<std::size_t>(base));
        } else {
            magnitude[0] = '0';
        }

        m_text.assign(static_cast<std::size_t>(std::max(0, w - width)), ' ');
        if (negative)
            m_text += m_style.negPrefix;
        if (addAffixes)
            m_text += m_style.prefix;
        for (int i = 0; i < integerDigits; ++i) {
            if (grouping && i > 0 && (integerDigits - i) % 3 == 0)
                m_text += m_style.grouping;
            m_text += magnitude[i];
        }
        if (decimals > 0) {
            m_text += m_style.decimal;
            m_text.append(magnitude + integerDigits + 1, static_cast<std::size_t>(decimals));
        }
        if (addAffixes)
            m_text += m_style.suffix;
        return true;
    }
    return false;
}

bool ValueFormatter::Scientific(double value, bool requireAffixes) {
    const int w = m_format.width;
    const int affixes = m_affixLength;
    int width = 6 + (value < 0 ? m_negPrefixLength : 0);
    if (width > w)
        return false;
    const bool addAffixes = width + affixes <= w;
    if (addAffixes)
        width += affixes;
    else if (requireAffixes)
        return false;
    // Characters for the point and the fraction; a lone point only in E.
    int fraction = std::min(std::min(m_format.decimals + 1, w - width), 16);
    if (m_format.type != kE && fraction == 1)
        fraction = 0;
    width += fraction;

    char number[64];
    const auto r = std::to_chars(number, number + sizeof number - 1, std::fabs(value),
                                 std::chars_format::scientific, fraction > 0 ? fraction - 1 : 0);
    *r.ptr = '\0';
    char* e = std::find(number, r.ptr, 'e');
    const int exponent = std::atoi(e + 1);
    if (exponent > 999 || exponent < -999)
        return false;

    m_text.assign(static_cast<std::size_t>(std::max(0, w - width)), ' ');
    if (value < 0)
        m_text += m_style.negPrefix;
    if (addAffixes)
        m_text += m_style.prefix;
    for (const char* p = number; p < e; ++p)
        m_text += *p == '.' ? m_style.decimal : *p;
    if (fraction == 1)
        m_text += m_style.decimal; // the '#' of "%#.0E": a point without digits
    m_text += 'E';
    m_text += exponent < 0 ? '-' : '+';
    AppendInt(m_text, exponent < 0 ? -exponent : exponent, 3);
    if (addAffixes)
        m_text += m_style.suffix;
    return true;
}

void ValueFormatter::Digits(double value, bool zoned) {
    const double scaled = value * m_decimalsPower;
    if (!zoned && scaled < 0) {
        Missing();
        return;
    }
    const double magnitude = std::fabs(std::round(scaled));
    char digits[400];
    const std::size_t n = Fixed(digits, sizeof digits, magnitude, 0);
    const auto w = static_cast<std::size_t>(m_format.width);
    if (!(std::fabs(scaled) < m_widthPower) || n > w) {
        Overflow();
        return;
    }
    m_text.assign(w - n, '0');
    m_text.append(digits, n);
    // Zoned decimal: a negative number's last digit becomes } J K ... R.
    if (zoned && scaled < 0 && m_text.find_first_not_of('0') != std::string::npos)
        m_text.back() = "}JKLMNOPQR"[m_text.back() - '0'];
}

void ValueFormatter::Name(double value, const char* const* names, int count) {
    if (!(value >= 1 && value < count + 1)) {
        Missing();
        return;
    }
    const char* name = names[static_cast<int>(value) - 1];
    const auto w = static_cast<std::size_t>(m_format.width);
    m_text.assign(name, std::min(w, std::strlen(name)));
    m_text.resize(w, ' ');
}

void ValueFormatter::Date(double number) {
    const int type = m_format.type;
    const int w = m_format.width;
    std::int64_t year = 0;
    int month = 0, day = 0, yday = 0;
    // NaN and infinity are no date or time (PSPP's own text is undefined there).
    if (!std::isfinite(number)) {
        Overflow();
        return;
    }
    if (IsDateType(type)) {
        if (number <= 0) {
            Missing();
            return;
        }
        const double days = number / 60. / 60. / 24.;
        // The day number is an int in PSPP; what does not fit becomes INT_MIN there.
        const std::int64_t ofs = days < 2147483648.0 ? static_cast<std::int64_t>(days) : INT_MIN;
        CivilFromDays(ofs + kDay0, year, month, day);
        yday = static_cast<int>(ofs + kDay0 - DaysFromCivil(year, 1, 1)) + 1;
        number = std::fmod(number, 60. * 60. * 24.);
    }
    std::string& out = m_work;
    out.clear();
    for (const char* t = DateTemplate(type, w); *t != '\0';) {
        const char c = *t;
        int count = 1;
        while (t[count] == c)
            ++count;
        t += count;
        switch (c) {
        case 'd':
            AppendInt(out, count < 3 ? day : yday, count < 3 ? 2 : 3);
            break;
        case 'm':
            if (count < 3)
                AppendInt(out, month, 2);
            else
                out += kMonthAbbrevs[month - 1];
            break;
        case 'y':
            if (count >= 4) {
                if (year <= 9999) {
                    AppendInt(out, year, 4);
                } else if (type == kDateTime || type == kYmdhms) {
                    out += "****";
                } else {
                    Overflow();
                    return;
                }
            } else {
                if (year - m_epoch < 0 || year - m_epoch > 99) {
                    Overflow();
                    return;
                }
                AppendInt(out, (year < 0 ? -year : year) % 100, 2);
            }
            break;
        case 'q':
            AppendInt(out, (month - 1) / 3 + 1, 1);
            break;
        case 'w':
            AppendInt(out, (yday - 1) / 7 + 1, 2, ' ');
            break;
        case 'D': {
            if (number < 0)
                out += '-';
            number = std::fabs(number);
            char digits[400];
            out.append(digits,
                       Fixed(digits, sizeof digits, std::floor(number / 60. / 60. / 24.), 0));
            number = std::fmod(number, 60. * 60. * 24.);
            break;
        }
        case 'H': {
            if (number < 0)
                out += '-';
            number = std::fabs(number);
            char digits[400];
            const std::size_t n = Fixed(digits, sizeof digits, std::floor(number / 60. / 60.), 0);
            out.append(static_cast<std::size_t>(std::max(0, count - static_cast<int>(n))), '0');
            out.append(digits, n);
            number = std::fmod(number, 60. * 60.);
            break;
        }
        case 'M': {
            if (number < 0)
                out += '-';
            number = std::fabs(number);
            if (number / 60. >= 9e18) { // minutes beyond any integer: no text fits
                Overflow();
                return;
            }
            AppendInt(out, static_cast<std::int64_t>(std::floor(number / 60.)), 2);
            number = std::fmod(number, 60.);
            const int excess = w - static_cast<int>(out.size());
            if (excess < 0 || (type == kMTime && excess < 3)) {
                Overflow();
                return;
            }
            if (excess == 3 || excess == 4 || (excess >= 5 && m_format.decimals == 0)) {
                out += ':';
                AppendInt(out, static_cast<std::int64_t>(number), 2);
            } else if (excess >= 5) {
                const int d = std::min(m_format.decimals, excess - 4);
                char digits[64];
                const std::size_t n = Fixed(digits, sizeof digits, number, d);
                out += ':';
                out.append(static_cast<std::size_t>(std::max(0, d + 3 - static_cast<int>(n))), '0');
                out.append(digits, n);
            }
            PadLeft(out.data(), out.size());
            return;
        }
        default:
            out.append(static_cast<std::size_t>(count), c);
            break;
        }
    }
    PadLeft(out.data(), out.size());
}

std::string_view ValueFormatter::String(std::string_view bytes) {
    if (m_format.type != kAhex)
        return bytes;
    static constexpr char kHex[] = "0123456789ABCDEF";
    m_text.clear();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        m_text += kHex[b >> 4];
        m_text += kHex[b & 15];
    }
    return m_text;
}

} // namespace qs
