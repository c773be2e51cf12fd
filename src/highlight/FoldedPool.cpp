#include "highlight/FoldedPool.h"

namespace qs {

void AppendFolded(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 'a' && c <= 'z') {
            out += static_cast<char>(c - 32);
        } else if (c == '\n' || c == FoldedPool::kPartSeparator) {
            out += ' ';
        } else if (c == 0xC3 && i + 1 < text.size()) {
            // U+00E0..U+00FE are the small letters of U+00C0..U+00DE, except the division sign.
            const auto d = static_cast<unsigned char>(text[i + 1]);
            out += static_cast<char>(c);
            out += static_cast<char>(d >= 0xA0 && d <= 0xBE && d != 0xB7 ? d - 0x20 : d);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
}

std::string Folded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendFolded(out, text);
    return out;
}

void FoldedPool::Clear() {
    m_pool.clear();
    m_starts.clear();
}

void FoldedPool::Reserve(std::size_t entries, std::size_t bytes) {
    m_starts.reserve(entries);
    m_pool.reserve(bytes + 2 * entries);
}

std::size_t FoldedPool::Add(const std::string_view* parts, std::size_t count) {
    m_starts.push_back(static_cast<std::uint32_t>(m_pool.size()));
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            m_pool += kPartSeparator;
        }
        AppendFolded(m_pool, parts[i]);
    }
    m_pool += '\n';
    return m_starts.size() - 1;
}

} // namespace qs
