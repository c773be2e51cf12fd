// Words as the highlighter sees them, for word-wise moves, deletes, double click and the
// word at the caret: the editor control's own classes count characters such as µ, ª and
// the Windows-1252 letters Š and Œ differently.
#include "highlight/SynHighlighterSPSS.h"
#include "platform/Cp1252.h"
#include "ui/TSyntaxEditor.h"

namespace qs {

namespace {

using SB = QsciScintillaBase;

// Characters outside the code page are other scripts' letters far more often than not.
TSyntaxEditor::CharClass ClassOf(char32_t cp) {
    using C = TSyntaxEditor::CharClass;
    if (cp == '\r' || cp == '\n') {
        return C::NewLine;
    }
    if (cp == ' ' || cp < 0x20 || cp == 0xA0) {
        return C::Space;
    }
    const int b = UnicodeToCp1252(cp);
    if (b < 0) {
        return C::Word;
    }
    return TSynSPSSHighlighter::WordCharacters()[static_cast<std::size_t>(b)] ? C::Word
                                                                             : C::Punctuation;
}

} // namespace

TSyntaxEditor::CharClass TSyntaxEditor::ClassAt(long pos) {
    const long length = SendScintilla(SB::SCI_GETLENGTH);
    const long size = std::min<long>(4, length - pos);
    const auto* s = reinterpret_cast<const unsigned char*>(
        SendScintilla(SB::SCI_GETRANGEPOINTER, pos, size));
    if (s == nullptr || size <= 0) {
        return CharClass::NewLine;
    }
    char32_t cp = s[0];
    const int extra = s[0] >= 0xF0 ? 3 : s[0] >= 0xE0 ? 2 : s[0] >= 0xC0 ? 1 : 0;
    if (extra > 0 && extra < size) {
        cp = s[0] & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            cp = (cp << 6) | (s[k] & 0x3F);
        }
    }
    return ClassOf(cp);
}

long TSyntaxEditor::NextWordStart(long pos, int delta) {
    const long length = SendScintilla(SB::SCI_GETLENGTH);
    const auto before = [&](long p) { return SendScintilla(SB::SCI_POSITIONBEFORE, p); };
    const auto after = [&](long p) { return SendScintilla(SB::SCI_POSITIONAFTER, p); };
    if (delta < 0) {
        while (pos > 0 && ClassAt(before(pos)) == CharClass::Space) {
            pos = before(pos);
        }
        if (pos > 0) {
            const CharClass start = ClassAt(before(pos));
            while (pos > 0 && ClassAt(before(pos)) == start) {
                pos = before(pos);
            }
        }
        return pos;
    }
    if (pos < length) {
        const CharClass start = ClassAt(pos);
        while (pos < length && ClassAt(pos) == start) {
            pos = after(pos);
        }
    }
    while (pos < length && ClassAt(pos) == CharClass::Space) {
        pos = after(pos);
    }
    return pos;
}

std::pair<long, long> TSyntaxEditor::WordAround(long pos, bool wordsOnly) {
    const long length = SendScintilla(SB::SCI_GETLENGTH);
    const auto before = [&](long p) { return SendScintilla(SB::SCI_POSITIONBEFORE, p); };
    const auto after = [&](long p) { return SendScintilla(SB::SCI_POSITIONAFTER, p); };
    CharClass cls = pos < length ? ClassAt(pos) : CharClass::NewLine;
    if ((cls == CharClass::NewLine || (wordsOnly && cls != CharClass::Word)) && pos > 0) {
        cls = ClassAt(before(pos)); // the caret just after a word
    }
    if (cls == CharClass::NewLine || (wordsOnly && cls != CharClass::Word)) {
        return {pos, pos};
    }
    long start = pos;
    while (start > 0 && ClassAt(before(start)) == cls) {
        start = before(start);
    }
    long end = pos;
    while (end < length && ClassAt(end) == cls) {
        end = after(end);
    }
    return {start, end};
}

void TSyntaxEditor::MoveByWord(int delta, bool extend) {
    const long target = NextWordStart(SendScintilla(SB::SCI_GETCURRENTPOS), delta);
    if (extend) {
        SendScintilla(SB::SCI_SETCURRENTPOS, target);
    } else {
        SendScintilla(SB::SCI_SETEMPTYSELECTION, target);
    }
    SendScintilla(SB::SCI_CHOOSECARETX);
    SendScintilla(SB::SCI_SCROLLCARET);
}

void TSyntaxEditor::DeleteByWord(int delta) {
    const long caret = SendScintilla(SB::SCI_GETCURRENTPOS);
    const long other = NextWordStart(caret, delta);
    if (other == caret) {
        return;
    }
    const long from = std::min(caret, other);
    const long length = std::abs(other - caret);
    long line = 0;
    long lineStart = 0;
    if (AtLongLine(line, lineStart) && from >= lineStart &&
        from + length <= SendScintilla(SB::SCI_GETLINEENDPOSITION, line)) {
        EditLongLine(line, lineStart, from, length, QByteArray());
    } else {
        SendScintilla(SB::SCI_DELETERANGE, from, length);
    }
}

void TSyntaxEditor::SelectWordAt(long pos) {
    const auto [start, end] = WordAround(pos, false);
    if (start != end) {
        SendScintilla(SB::SCI_SETSEL, start, end);
    }
}

QString TSyntaxEditor::WordAtCaret() const {
    auto* self = const_cast<TSyntaxEditor*>(this);
    const auto [start, end] = self->WordAround(self->SendScintilla(SB::SCI_GETCURRENTPOS), true);
    const auto* s = reinterpret_cast<const char*>(
        self->SendScintilla(SB::SCI_GETRANGEPOINTER, start, end - start));
    return s != nullptr ? QString::fromUtf8(s, end - start) : QString();
}

} // namespace qs
