// A value as text in its print format, character for character as GNU PSPP writes it:
// numbers with PSPP's rounding (halves away from zero), its choice of fewer decimals or
// scientific notation where the width is short, asterisks where nothing fits; dates,
// times and the other formats by PSPP's templates. The data file tool's CSV and the data
// view share it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

// A format as the I/O library reports it: type code (SPSS_FMT_*, plus 40 MTIME and
// 41 YMDHMS), width and decimals.
struct ValueFormat {
    int type = 5;
    int width = 8;
    int decimals = 2;
};

class ValueFormatter {
public:
    // Two-digit years show the hundred years from epoch on (PSPP: this year minus 69).
    explicit ValueFormatter(ValueFormat format, int epoch = DefaultEpoch());

    // A number as the format shows it, `width` characters wide (blank-padded on the left),
    // or wider where PSPP's own text is. System-missing is a lone '.' placed as PSPP places
    // it. Valid until the next call.
    std::string_view Number(double value);
    // A string's bytes (in the file's encoding) as the format shows them: A as they are,
    // AHEX as two hexadecimal digits a byte.
    std::string_view String(std::string_view bytes);

    const ValueFormat& Format() const { return m_format; }
    static int DefaultEpoch();

private:
    struct Style {
        const char* negPrefix = "-";
        const char* prefix = "";
        const char* suffix = "";
        char grouping = 0;
        char decimal = '.';
    };

    bool Decimal(bool requireAffixes);
    bool Scientific(double value, bool requireAffixes);
    void Missing();
    void Overflow();
    void Infinite(double value);
    void Date(double value);
    void Digits(double value, bool zoned); // N and Z
    void Name(double value, const char* const* names, int count);
    void PadLeft(const char* text, std::size_t length);

    ValueFormat m_format;
    int m_epoch;
    Style m_style;
    int m_negPrefixLength = 1;
    int m_affixLength = 0;      // prefix and suffix
    double m_decimalLimit = 0;  // numbers below it in magnitude try the decimal form
    double m_widthPower = 0;    // 10 ^ width
    double m_decimalsPower = 0; // 10 ^ decimals
    std::string m_text;         // the current value's text
    std::string m_work;         // a date's text before its padding
    // The rounding digits of the value being formatted (see ValueFormat.cpp).
    char m_digits[80] = {};
    int m_integerDigits = 0, m_leadingZeros = 0, m_leadingNines = 0;
    bool m_negative = false;
};

} // namespace qs
