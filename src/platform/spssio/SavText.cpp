// Recoding and UTF-8 helpers; see SavText.h.
#include "platform/spssio/SavText.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <cerrno>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace qs::spssio {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    unsigned lo = 0x80, hi = 0xBF;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            lo = 0xA0;
        if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;
    } else
        return 0;
    if (i + n > s.size())
        return 0;
    if (b(i + 1) < lo || b(i + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF)
            return 0;
    return n;
}

std::string repairUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = sequenceLength(s, i);
        if (n == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

// Upper case without '-', '_' and blanks: "windows-1252" and "WINDOWS1252" are one name.
std::string encodingKey(std::string_view name)
{
    std::string key;
    for (char c : name) {
        if (c == '-' || c == '_' || c == ' ')
            continue;
        key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    return key;
}

// The known encodings whose characters may take more than one byte, UTF-8 aside.
bool isMultiByte(std::string_view key)
{
    static const char* const kMultiByte[] = {
        "CP932", "CP936", "CP949", "CP950", "SHIFTJIS", "SJIS", "EUCJP", "EUCKR", "GBK", "GB2312",
        "GB18030", "BIG5", "BIG5HKSCS"};
    for (const char* name : kMultiByte)
        if (key == name)
            return true;
    return false;
}

// Length of the longest prefix of s within maxBytes that ends between two characters,
// an invalid byte counting as one character (it becomes one U+FFFD).
std::size_t utf8CharPrefix(std::string_view s, std::size_t maxBytes)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = std::max<std::size_t>(sequenceLength(s, i), 1);
        if (i + n > maxBytes)
            break;
        i += n;
    }
    return i;
}

} // namespace

bool isKnownEncoding(std::string_view name)
{
    // The encodings data files are written in; a file may not make us load any
    // other converter (some of glibc's rarer ones have had memory faults).
    static const char* const kKnown[] = {
        "UTF8", "USASCII", "ASCII", "WINDOWS874", "WINDOWS1250", "WINDOWS1251", "WINDOWS1252",
        "WINDOWS1253", "WINDOWS1254", "WINDOWS1255", "WINDOWS1256", "WINDOWS1257", "WINDOWS1258",
        "CP874", "CP1250", "CP1251", "CP1252", "CP1253", "CP1254", "CP1255", "CP1256", "CP1257",
        "CP1258", "CP437", "CP850", "CP852", "CP866", "CP932", "CP936", "CP949", "CP950",
        "ISO88591", "ISO88592", "ISO88593", "ISO88594", "ISO88595", "ISO88596", "ISO88597",
        "ISO88598", "ISO88599", "ISO885910", "ISO885913", "ISO885915", "LATIN1", "KOI8R", "KOI8U",
        "SHIFTJIS", "SJIS", "EUCJP", "EUCKR", "GBK", "GB2312", "GB18030", "BIG5", "BIG5HKSCS",
        "MACINTOSH", "TIS620"};
    const std::string key = encodingKey(name);
    for (const char* known : kKnown)
        if (key == known)
            return true;
    return false;
}

std::string Recoder::operator()(std::string&& raw)
{
    if (IsAscii(raw) || (m_utf8 && isValidUtf8(raw)))
        return std::move(raw);
    return (*this)(std::string_view(raw));
}

std::string_view Recoder::kept(std::string_view raw, Arena& arena)
{
    if (IsAscii(raw) || (m_utf8 && isValidUtf8(raw)))
        return raw;
    return arena.Copy((*this)(raw));
}

#ifdef _WIN32
namespace {

// The Windows code page of an encoding isKnownEncoding accepts; 0 for none.
unsigned codePageOf(const std::string& key)
{
    static const std::pair<const char*, unsigned> kPages[] = {
        {"USASCII", 20127}, {"ASCII", 20127}, {"CP437", 437}, {"CP850", 850}, {"CP852", 852},
        {"CP866", 866}, {"CP874", 874}, {"WINDOWS874", 874}, {"TIS620", 874}, {"CP932", 932},
        {"SHIFTJIS", 932}, {"SJIS", 932}, {"CP936", 936}, {"GBK", 936}, {"GB2312", 936},
        {"CP949", 949}, {"EUCKR", 949}, {"CP950", 950}, {"BIG5", 950}, {"BIG5HKSCS", 950},
        {"EUCJP", 20932}, {"GB18030", 54936}, {"KOI8R", 20866}, {"KOI8U", 21866},
        {"MACINTOSH", 10000}, {"LATIN1", 28591}, {"ISO88591", 28591}, {"ISO88592", 28592},
        {"ISO88593", 28593}, {"ISO88594", 28594}, {"ISO88595", 28595}, {"ISO88596", 28596},
        {"ISO88597", 28597}, {"ISO88598", 28598}, {"ISO88599", 28599}, {"ISO885910", 28600},
        {"ISO885913", 28603}, {"ISO885915", 28605}};
    for (const auto& [name, page] : kPages)
        if (key == name)
            return page;
    for (unsigned page = 1250; page <= 1258; ++page)
        if (key == "WINDOWS" + std::to_string(page) || key == "CP" + std::to_string(page))
            return page;
    return 0;
}

// The length of the character at raw[i] (1 to 4 bytes) and its UTF-16 form; 0 when no
// length decodes, so that the byte becomes U+FFFD as with iconv.
std::size_t decodeOne(unsigned page, std::string_view raw, std::size_t i, wchar_t (&out)[4],
                      int& units)
{
    for (std::size_t n = 1; n <= 4 && i + n <= raw.size(); ++n) {
        units = ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, raw.data() + i,
                                      static_cast<int>(n), out, 4);
        if (units > 0)
            return n;
    }
    return 0;
}

} // namespace

Recoder::Recoder(const std::string& encoding) : m_encoding(encoding)
{
    const std::string key = encodingKey(encoding);
    if (key == "UTF8") {
        m_utf8 = true;
        m_encoding = "UTF-8";
        return;
    }
    m_codePage = isKnownEncoding(encoding) ? codePageOf(key) : 0;
    if (m_codePage == 0 || !::IsValidCodePage(m_codePage)) {
        m_encoding = "WINDOWS-1252";
        m_codePage = 1252;
    }
    m_multiByte = isMultiByte(encodingKey(m_encoding));
}

Recoder::~Recoder() = default;

std::string Recoder::operator()(std::string_view raw)
{
    if (IsAscii(raw))
        return std::string(raw);
    if (m_utf8)
        return repairUtf8(raw);
    std::wstring wide;
    wide.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        wchar_t units[4];
        int count = 0;
        const std::size_t n = decodeOne(m_codePage, raw, i, units, count);
        if (n == 0) {
            wide += L'\xFFFD';
            ++i;
        } else {
            wide.append(units, static_cast<std::size_t>(count));
            i += n;
        }
    }
    std::string out(static_cast<std::size_t>(::WideCharToMultiByte(
                        CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                        nullptr, nullptr)),
                    '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                          static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

std::size_t Recoder::prefix(std::string_view raw, std::size_t maxBytes)
{
    if (raw.size() <= maxBytes)
        return raw.size();
    if (m_utf8)
        return utf8CharPrefix(raw, maxBytes);
    if (!m_multiByte)
        return maxBytes;
    // A character cut at the limit ends the prefix before it; an undecodable byte counts
    // as a character of its own, as operator() makes it one.
    std::size_t i = 0;
    while (i < maxBytes) {
        wchar_t units[4];
        int count = 0;
        const std::size_t n = std::max<std::size_t>(decodeOne(m_codePage, raw, i, units, count), 1);
        if (i + n > maxBytes)
            break;
        i += n;
    }
    return i;
}
#else
Recoder::Recoder(const std::string& encoding) : m_encoding(encoding)
{
    std::string upper;
    for (char c : encoding)
        upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (upper == "UTF-8" || upper == "UTF8") {
        m_utf8 = true;
        m_encoding = "UTF-8";
        return;
    }
    iconv_t cd = isKnownEncoding(encoding) ? iconv_open("UTF-8", encoding.c_str())
                                           : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        m_encoding = "WINDOWS-1252";
        cd = iconv_open("UTF-8", m_encoding.c_str());
    }
    if (cd != reinterpret_cast<iconv_t>(-1))
        m_cd = cd;
    m_multiByte = isMultiByte(encodingKey(m_encoding));
}

Recoder::~Recoder()
{
    if (m_cd)
        iconv_close(static_cast<iconv_t>(m_cd));
}

std::string Recoder::operator()(std::string_view raw)
{
    if (IsAscii(raw))
        return std::string(raw);
    if (m_utf8 || !m_cd)
        return repairUtf8(raw);
    auto cd = static_cast<iconv_t>(m_cd);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(raw.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(raw.data());
    std::size_t inLeft = raw.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            const std::size_t used = static_cast<std::size_t>(to - out.data());
            out.resize(out.size() * 2);
            to = out.data() + used;
            toLeft = out.size() - used;
            continue;
        }
        // An undecodable or cut byte: mark it and go on after it.
        if (toLeft < 3) {
            const std::size_t used = static_cast<std::size_t>(to - out.data());
            out.resize(out.size() + 16);
            to = out.data() + used;
            toLeft = out.size() - used;
        }
        for (int k = 0; k < 3; ++k)
            *to++ = kReplacement[k];
        toLeft -= 3;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

std::size_t Recoder::prefix(std::string_view raw, std::size_t maxBytes)
{
    if (raw.size() <= maxBytes)
        return raw.size();
    if (m_utf8 || !m_cd)
        return utf8CharPrefix(raw, maxBytes);
    if (!m_multiByte)
        return maxBytes;
    // The converter tells a character cut at the end (EINVAL) from an undecodable
    // byte, which operator() turns into a character of its own.
    auto cd = static_cast<iconv_t>(m_cd);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(raw.data());
    std::size_t inLeft = maxBytes;
    char buffer[256];
    while (inLeft > 0) {
        char* to = buffer;
        std::size_t toLeft = sizeof buffer;
        if (iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno == EINVAL)
            break;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return maxBytes - inLeft;
}

#endif

std::string Recoder::cut(std::string_view raw, std::size_t maxBytes)
{
    return (*this)(raw.substr(0, prefix(raw, maxBytes)));
}

std::size_t Recoder::recodedPrefix(std::string_view raw, std::string_view recoded,
                                   std::size_t maxBytes)
{
    const std::size_t n = prefix(raw, maxBytes);
    if (n == raw.size())
        return recoded.size();
    const std::string head = (*this)(raw.substr(0, n));
    if (recoded.starts_with(head))
        return head.size();
    // Windows-1258 joins a letter and the accent after it into one character, so that
    // a cut between them recodes differently: keep the characters both agree on.
    const std::size_t same = static_cast<std::size_t>(
        std::mismatch(head.begin(), head.end(), recoded.begin(), recoded.end()).first -
        head.begin());
    return utf8Prefix(recoded, same);
}

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = sequenceLength(s, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string trimBlanks(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::string trimLabel(std::string s)
{
    // In place: most labels have no leading blank and keep their storage.
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    return s;
}

std::string_view trimBlanksView(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string_view trimLabelView(std::string_view s)
{
    s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
    return s;
}

std::string_view cutToWidth(std::string_view value, int width)
{
    return value.substr(0, width < 0 ? 0 : static_cast<std::size_t>(width));
}

std::size_t utf8Prefix(std::string_view s, std::size_t maxBytes)
{
    if (s.size() <= maxBytes)
        return s.size();
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

std::string codePageEncoding(int codePage)
{
    switch (codePage) {
    case 65001: return "UTF-8";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28593: return "ISO-8859-3";
    case 28594: return "ISO-8859-4";
    case 28595: return "ISO-8859-5";
    case 28596: return "ISO-8859-6";
    case 28597: return "ISO-8859-7";
    case 28598: return "ISO-8859-8";
    case 28599: return "ISO-8859-9";
    case 28603: return "ISO-8859-13";
    case 28605: return "ISO-8859-15";
    case 20932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 950: return "BIG5";
    default: break;
    }
    // 1 EBCDIC, 2 and 3 ASCII, 4 DEC Kanji: the text bytes must tell.
    if (codePage >= 437 && codePage <= 1258)
        return "CP" + std::to_string(codePage);
    return {};
}

} // namespace qs::spssio
