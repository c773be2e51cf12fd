#include "app/SyntaxFile.h"

#include "platform/Cp1252.h"
#include "platform/FileDescriptor.h"
#include "platform/Utf8.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace qs {

namespace {

// Validates UTF-8 piece by piece: a sequence cut by the end of a piece is finished
// with the next one.
class Utf8Checker {
public:
    bool Feed(std::string_view piece) {
        std::size_t i = 0;
        while (!m_carry.empty() && i < piece.size()) {
            m_carry += piece[i++];
            const std::size_t len = SequenceOrNeed(m_carry);
            if (len == 0) {
                return m_ok = false;
            }
            if (len == m_carry.size()) {
                m_carry.clear();
            }
        }
        while (i < piece.size()) {
            while (i + 8 <= piece.size()) { // ASCII runs eight bytes at a time
                std::uint64_t block;
                std::memcpy(&block, piece.data() + i, 8);
                if (block & 0x8080808080808080ULL) {
                    break;
                }
                i += 8;
            }
            if (i >= piece.size()) {
                break;
            }
            const std::size_t len = SequenceOrNeed(piece.substr(i));
            if (len == 0) {
                return m_ok = false;
            }
            if (i + len > piece.size()) {
                m_carry.assign(piece.substr(i));
                break;
            }
            i += len;
        }
        return m_ok;
    }
    bool Finish() const { return m_ok && m_carry.empty(); }

private:
    // The length of the sequence at the start of s; more than s.size() when s ends inside
    // a sequence that may still be valid; 0 when it is not valid.
    static std::size_t SequenceOrNeed(std::string_view s) {
        const auto c = static_cast<unsigned char>(s[0]);
        if (c < 0x80) {
            return 1;
        }
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (c < 0xC2 || c > 0xF4) {
            return 0;
        }
        if (s.size() < len) {
            for (std::size_t k = 1; k < s.size(); ++k) {
                if ((static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) {
                    return 0;
                }
            }
            return len;
        }
        return Utf8SequenceLength(s, 0);
    }

    std::string m_carry;
    bool m_ok = true;
};

bool IsUtf8(std::string_view s) {
    Utf8Checker checker;
    checker.Feed(s);
    return checker.Finish();
}

char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t len = Utf8SequenceLength(s, i);
    if (len <= 1) {
        ++i;
        return c;
    }
    char32_t cp = c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    i += len;
    return cp;
}

FileResult Failure(const std::string& what) {
    return {false, what + ": " + std::strerror(errno)};
}

} // namespace

std::string NormaliseLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    ForEachLine(text, [&](std::string_view line) {
        out.append(line);
        out += "\r\n";
    });
    return out;
}

std::string CrLfLineEnds(std::string_view text) {
    std::string out = NormaliseLineEnds(text);
    const bool endsWithBreak = !text.empty() && (text.back() == '\n' || text.back() == '\r');
    if (!endsWithBreak && !out.empty()) {
        out.resize(out.size() - 2);
    }
    return out;
}

SyntaxFileText DecodeSyntaxFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF" && IsUtf8(bytes.substr(3))) {
        return {std::string(bytes.substr(3)), TextEncoding::Utf8Bom};
    }
    if (IsUtf8(bytes)) {
        return {std::string(bytes), TextEncoding::Utf8};
    }
    SyntaxFileText result{{}, TextEncoding::SingleByte};
    result.text.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        AppendUtf8(result.text, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    }
    return result;
}

EncodeResult EncodeSyntaxFile(std::string_view utf8Text, TextEncoding encoding) {
    std::string text = NormaliseLineEnds(utf8Text);
    if (encoding == TextEncoding::Utf8) {
        return {true, std::move(text), {}};
    }
    if (encoding == TextEncoding::Utf8Bom) {
        return {true, "\xEF\xBB\xBF" + text, {}};
    }
    std::string bytes;
    bytes.reserve(text.size());
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        const char32_t cp = DecodeUtf8(text, i);
        line += cp == '\n';
        const int b = UnicodeToCp1252(cp);
        if (b < 0) {
            return {false,
                    {},
                    "line " + std::to_string(line) + " holds \"" + text.substr(at, i - at) +
                        "\", which the file's encoding (Windows-1252) cannot hold"};
        }
        bytes += static_cast<char>(b);
    }
    return {true, std::move(bytes), {}};
}

StreamResult StreamSyntaxFile(const std::string& path,
                              const std::function<void(std::uint64_t)>& begin,
                              const std::function<void(std::string_view)>& sink) {
    StreamResult result;
    const int fd = OpenForReading(path.c_str());
    if (fd < 0) {
        result.error = Failure("Cannot open " + path).error;
        return result;
    }
    std::string chunk(1 << 20, '\0');
    // Reads the whole file once, handing each piece to `use`.
    const auto pass = [&](const std::function<void(std::string_view)>& use) {
        for (std::uint64_t at = 0;;) {
            const std::int64_t n = ReadAt(fd, chunk.data(), chunk.size(), at);
            if (n == 0) {
                return true;
            }
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            at += static_cast<std::uint64_t>(n);
            use(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
        }
    };
    // First the encoding, which needs the whole file, then the text.
    Utf8Checker checker;
    std::string head;
    bool ok = pass([&](std::string_view piece) {
        if (head.size() < 3) {
            head.append(piece.substr(0, 3 - head.size()));
        }
        result.bytes += piece.size();
        checker.Feed(piece);
    });
    const bool utf8 = checker.Finish();
    result.encoding = !utf8                    ? TextEncoding::SingleByte
                      : head == "\xEF\xBB\xBF" ? TextEncoding::Utf8Bom
                                               : TextEncoding::Utf8;
    if (ok) {
        begin(result.encoding == TextEncoding::Utf8Bom ? result.bytes - 3
              : result.encoding == TextEncoding::Utf8  ? result.bytes
                                                       : result.bytes + result.bytes / 4);
        std::size_t skip = result.encoding == TextEncoding::Utf8Bom ? 3 : 0;
        std::string converted;
        ok = pass([&](std::string_view piece) {
            const std::size_t drop = std::min(skip, piece.size());
            piece.remove_prefix(drop);
            skip -= drop;
            if (result.encoding != TextEncoding::SingleByte) {
                sink(piece);
                return;
            }
            converted.clear();
            for (char c : piece) {
                AppendUtf8(converted, Cp1252ToUnicode(static_cast<unsigned char>(c)));
            }
            sink(converted);
        });
    }
    if (!ok) {
        result.error = Failure("Cannot read " + path).error;
    }
    CloseFile(fd);
    result.ok = ok;
    return result;
}

FileResult ReadWholeFile(const std::string& path, std::string& bytes) {
    const int fd = OpenForReading(path.c_str());
    if (fd < 0) {
        return Failure("Cannot open " + path);
    }
    if (const std::int64_t size = RegularFileSize(fd); size > 0) {
        bytes.reserve(static_cast<std::size_t>(size));
    }
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        const std::int64_t n = ReadSome(fd, buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const FileResult failed = Failure("Cannot read " + path);
            CloseFile(fd);
            return failed;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    CloseFile(fd);
    return {true, {}};
}

} // namespace qs

namespace qs {

std::string WithSyntaxExtension(const std::string& path) {
    return std::filesystem::path(path).has_extension() ? path : path + ".sps";
}

} // namespace qs
