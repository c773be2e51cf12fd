// Text helpers of the reader: recoding from a file's encoding to UTF-8 (glibc
// iconv), the choice of that encoding, and character boundaries for cutting texts.
#pragma once

#include "platform/memory/Arena.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qs::spssio {

class Recoder {
public:
    // encoding: an iconv name; UTF-8 is only validated. Names isKnownEncoding refuses
    // fall back to windows-1252.
    explicit Recoder(const std::string& encoding);
    ~Recoder();
    Recoder(const Recoder&) = delete;
    Recoder& operator=(const Recoder&) = delete;

    // Bytes that cannot be decoded become U+FFFD; never fails.
    std::string operator()(std::string_view raw);
    // The same, reusing raw's storage when it needs no change.
    std::string operator()(std::string&& raw);
    // The same for a text that already lives in arena: returned as it is when it needs
    // no change, else recoded into arena.
    std::string_view kept(std::string_view raw, Arena& arena);
    // Length of the longest prefix of raw within maxBytes that ends on a character of the
    // file's encoding: the interface's limits count the file's bytes, not UTF-8's, so that
    // recoding never shortens what a limit keeps.
    std::size_t prefix(std::string_view raw, std::size_t maxBytes);
    // That prefix, recoded.
    std::string cut(std::string_view raw, std::size_t maxBytes);
    // How many bytes of recoded (raw recoded whole) stand for that prefix; always a
    // character boundary of recoded.
    std::size_t recodedPrefix(std::string_view raw, std::string_view recoded, std::size_t maxBytes);
    const std::string& encoding() const { return m_encoding; }

private:
    std::string m_encoding;
    void* m_cd = nullptr; // iconv_t
    unsigned m_codePage = 0; // Windows, which has no iconv: the code page decoded from
    bool m_utf8 = false;
    bool m_multiByte = false; // characters of more than one byte besides UTF-8
};

bool isValidUtf8(std::string_view s);
// Whether name is one of the encodings we recode from (others fall back).
bool isKnownEncoding(std::string_view name);
// Trailing blanks removed.
std::string trimBlanks(std::string s);
// Leading blanks removed: labels as SPSS and PSPP show them.
std::string trimLabel(std::string s);
// The same two as views of s.
std::string_view trimBlanksView(std::string_view s);
std::string_view trimLabelView(std::string_view s);
// The first width bytes of a string value (all of it when shorter).
std::string_view cutToWidth(std::string_view value, int width);
// Length of the longest prefix of s within maxBytes that ends on a character boundary.
std::size_t utf8Prefix(std::string_view s, std::size_t maxBytes);
// iconv name for a character code of the machine record; empty when it says nothing useful.
std::string codePageEncoding(int codePage);

} // namespace qs::spssio
