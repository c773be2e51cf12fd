// The header's creation date and time ("05 Mar 48", "11:43:20") as a date-time number:
// whole days since 30 December 1899 plus the fraction of the day.
#include "datafile/SPSSResourcestrings.h"
#include "datafile/TSPSSVL.h"

#include <array>
#include <cctype>

namespace qs {

namespace {

// Characters from..from+count-1 (1-based), shorter when the text ends first.
std::string Copy(const std::string& s, std::size_t from, std::size_t count) {
    return from - 1 < s.size() ? s.substr(from - 1, count) : std::string();
}

// Days from 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

double EncodeDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int last = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    if (day < 1 || day > last) {
        throw EConvertError("Invalid argument to date encode");
    }
    return static_cast<double>(DaysFromCivil(year, unsigned(month), unsigned(day)) -
                               DaysFromCivil(1899, 12, 30));
}

// "h:m" or "h:m:s", blanks around the parts allowed.
double ParseTime(const std::string& text) {
    std::array<int, 3> parts{};
    std::size_t count = 0;
    std::size_t i = 0;
    const auto fail = [&]() { return EConvertError("'" + text + "' is not a valid time"); };
    while (true) {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
        int value = 0;
        std::size_t digits = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 4) {
            value = value * 10 + (text[i++] - '0');
            ++digits;
        }
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
        if (digits == 0 || count == parts.size()) {
            throw fail();
        }
        parts[count++] = value;
        if (i == text.size()) {
            break;
        }
        if (text[i++] != ':') {
            throw fail();
        }
    }
    if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
        throw fail();
    }
    return (parts[0] * 3600.0 + parts[1] * 60.0 + parts[2]) / 86400.0;
}

} // namespace

double TSPSSDatafile::ParseTimeStamp(const std::string& date, const std::string& time) {
    static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const std::string dayText = Copy(date, 1, 2);
    std::string monthText = Copy(date, 4, 3);
    const std::string yearText = Copy(date, 8, 2);
    for (char& c : monthText) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        if (monthText == kMonths[m]) {
            month = m + 1;
        }
    }
    if (month == 0) {
        throw ESPSSDataFileException(SInvalidDateTime);
    }
    const int twoDigitYear = StrToInt(yearText);
    const int year = StrToInt((twoDigitYear < 49 ? "20" : "19") + yearText);
    const int day = StrToInt(dayText);
    return EncodeDate(year, month, day) + ParseTime(time);
}

} // namespace qs
