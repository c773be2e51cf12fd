// Reading and writing syntax files without damaging them: the text reaches the editor as
// UTF-8, and every byte other than the line ends goes back to disk as it came.
#pragma once

#include "platform/file/FileContents.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qs {

enum class TextEncoding {
    Utf8,      // valid UTF-8 (plain ASCII included), no byte-order mark
    Utf8Bom,   // valid UTF-8 behind a byte-order mark, which is kept
    SingleByte // anything else: the Windows-1252 code page, every byte kept
};

struct SyntaxFileText {
    std::string text; // UTF-8, line ends as in the file
    TextEncoding encoding = TextEncoding::Utf8;
};

// Decodes file bytes. Windows-1252's five unassigned bytes map to the C1 controls of the
// same value so that they too come back unchanged.
SyntaxFileText DecodeSyntaxFile(std::string_view bytes);

struct StreamResult {
    bool ok = false;
    TextEncoding encoding = TextEncoding::Utf8;
    std::uint64_t bytes = 0; // the file's size
    std::string error;
};

// Reads a syntax file and hands it to `sink` as UTF-8, piece by piece, so that a huge file
// is never held twice. `begin` learns the size of the text to come first (a hint).
StreamResult StreamSyntaxFile(const std::string& path,
                              const std::function<void(std::uint64_t textSize)>& begin,
                              const std::function<void(std::string_view piece)>& sink);

struct EncodeResult {
    bool ok = false;
    std::string bytes;
    std::string error; // what cannot be written in the file's encoding
};

// The editor text as file bytes: every line followed by CR LF (a last line without a
// line break gets one; an empty text stays empty), in `encoding`.
EncodeResult EncodeSyntaxFile(std::string_view utf8Text, TextEncoding encoding);

// Splits at CR LF, LF or CR; a final line break ends the last line and adds none.
template <typename Visit> void ForEachLine(std::string_view text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            visit(text.substr(start));
            return;
        }
        visit(text.substr(start, end - start));
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
}

// Every line followed by CR LF: the editor text as files and the engine get it.
std::string NormaliseLineEnds(std::string_view text);
// Every line break (CR LF, LF or CR) as CR LF, adding none: a selection as the engine
// gets it.
std::string CrLfLineEnds(std::string_view text);

// `path` with ".sps" added when its file name has no extension, as a name typed into the
// syntax file dialog without one means a syntax file.
std::string WithSyntaxExtension(const std::string& path);

} // namespace qs
