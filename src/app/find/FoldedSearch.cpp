// Unicode case-folded search over the control's bytes, one character at a time.
#include "app/find/FoldedSearch.h"

#include "app/find/FindState.h"

#include <Qsci/qsciscintilla.h>

#include <string>

namespace qs {
namespace {

using Sci = QsciScintillaBase;

class TFoldedText {
public:
    TFoldedText(QsciScintilla& editor)
        : m_text(static_cast<const unsigned char*>(
              editor.SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER))),
          m_utf8(editor.isUtf8()) {}

    // The folded character at `pos`; `pos` moves past it. A stray byte stands for itself.
    char32_t Next(long& pos) const noexcept {
        const unsigned char lead = m_text[pos++];
        if (!m_utf8 || lead < 0xC0) {
            return QChar::toCaseFolded(char32_t(lead));
        }
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        char32_t code = lead & (0x3F >> extra);
        for (int i = 0; i < extra; ++i) {
            if ((m_text[pos] & 0xC0) != 0x80) {
                return lead;
            }
            code = (code << 6) | (m_text[pos++] & 0x3F);
        }
        return QChar::toCaseFolded(code);
    }

    long CharacterStartBefore(long pos) const noexcept {
        --pos;
        while (m_utf8 && pos > 0 && (m_text[pos] & 0xC0) == 0x80) {
            --pos;
        }
        return pos;
    }

    // The end of a match of `needle` starting at `pos` and ending by `limit`, or -1.
    long MatchAt(long pos, const std::u32string& needle, long limit) const noexcept {
        for (const char32_t wanted : needle) {
            if (pos >= limit || Next(pos) != wanted) {
                return -1;
            }
        }
        return pos;
    }

private:
    const unsigned char* m_text;
    bool m_utf8;
};

} // namespace

bool NeedsFoldedSearch(const QString& search, unsigned options) {
    if (options & soMatchCase) {
        return false;
    }
    for (const QChar c : search) {
        if (c.unicode() > 0x7F) {
            return true;
        }
    }
    return false;
}

std::optional<TSearchScope> FindFolded(QsciScintilla& editor, const QString& search, long from,
                                       long to, bool wholeWord) {
    std::u32string needle;
    for (const char32_t code : search.toUcs4()) {
        needle += QChar::toCaseFolded(code);
    }
    const TFoldedText text(editor);
    const auto accept = [&](long begin, long end) {
        return end >= 0 &&
               (!wholeWord || editor.SendScintilla(Sci::SCI_ISRANGEWORD,
                                                   static_cast<unsigned long>(begin), end) != 0);
    };
    if (from <= to) {
        for (long pos = from; pos < to;) {
            const long start = pos;
            const long end = text.MatchAt(start, needle, to);
            if (accept(start, end)) {
                return TSearchScope{start, end};
            }
            text.Next(pos);
        }
    } else {
        for (long pos = from; pos > to;) {
            pos = text.CharacterStartBefore(pos);
            const long end = text.MatchAt(pos, needle, from);
            if (accept(pos, end)) {
                return TSearchScope{pos, end};
            }
        }
    }
    return std::nullopt;
}

} // namespace qs
