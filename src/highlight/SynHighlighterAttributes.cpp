// Highlighter attributes and the attribute registry of the highlighter base.
#include "highlight/SynHighlighterAttributes.h"

#include <algorithm>

namespace qs {

namespace {

unsigned char Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

} // namespace

int CompareTextNoCase(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int d = Lower(static_cast<unsigned char>(a[i])) - Lower(static_cast<unsigned char>(b[i]));
        if (d != 0) {
            return d;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

TSynHighlighterAttributes::TSynHighlighterAttributes(std::string name, TColor foreground,
                                                     TColor background, TFontStyles style)
    : m_name(std::move(name)), m_foreground(foreground), m_background(background),
      m_style(style & kAllFontStyles) {}

void TSynHighlighterAttributes::SetForeground(TColor color) {
    if (color != m_foreground) {
        m_foreground = color;
        Changed();
    }
}

void TSynHighlighterAttributes::SetBackground(TColor color) {
    if (color != m_background) {
        m_background = color;
        Changed();
    }
}

void TSynHighlighterAttributes::SetStyle(TFontStyles style) {
    style &= kAllFontStyles;
    if (style != m_style) {
        m_style = style;
        Changed();
    }
}

void TSynHighlighterAttributes::AssignColorAndStyle(const TSynHighlighterAttributes& other) {
    bool changed = m_foreground != other.m_foreground || m_background != other.m_background ||
                   m_style != other.m_style;
    m_foreground = other.m_foreground;
    m_background = other.m_background;
    m_style = other.m_style;
    if (changed) {
        Changed();
    }
}

void TSynHighlighterAttributes::Changed() {
    if (m_onChange) {
        m_onChange();
    }
}

TSynHighlighterAttributes* TSynCustomHighlighter::Attribute(int index) const {
    if (index < 0 || index >= AttrCount()) {
        return nullptr;
    }
    return m_attributes[static_cast<size_t>(index)];
}

TSynHighlighterAttributes* TSynCustomHighlighter::AttributeByName(const std::string& name) const {
    for (auto* attribute : m_attributes) {
        if (CompareTextNoCase(attribute->Name(), name) == 0) {
            return attribute;
        }
    }
    return nullptr;
}

int TSynCustomHighlighter::AddChangeListener(std::function<void()> listener) {
    m_listeners.emplace_back(m_nextListenerId, std::move(listener));
    return m_nextListenerId++;
}

void TSynCustomHighlighter::RemoveChangeListener(int id) {
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void TSynCustomHighlighter::AddAttribute(TSynHighlighterAttributes& attribute) {
    // Insert after equal names so that registration order breaks ties.
    auto at = std::upper_bound(
        m_attributes.begin(), m_attributes.end(), &attribute,
        [](const auto* a, const auto* b) { return CompareTextNoCase(a->Name(), b->Name()) < 0; });
    m_attributes.insert(at, &attribute);
    attribute.SetOnChange([this] { NotifyChange(); });
}

void TSynCustomHighlighter::NotifyChange() {
    for (auto& [id, listener] : m_listeners) {
        listener();
    }
}

} // namespace qs
