// Display attributes of a highlighter (colours and font style per token kind) and the
// highlighter base that registers them and tells its editors when one changes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qs {

// Colours are 0x00BBGGRR; clNone means "use the editor's own colour".
using TColor = std::uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;

// Font style bits, the same values the style store uses.
using TFontStyles = std::uint8_t;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;
inline constexpr TFontStyles kAllFontStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

class TSynHighlighterAttributes {
public:
    explicit TSynHighlighterAttributes(std::string name, TColor foreground = clNone,
                                       TColor background = clNone, TFontStyles style = 0);
    TSynHighlighterAttributes(const TSynHighlighterAttributes&) = delete;
    TSynHighlighterAttributes& operator=(const TSynHighlighterAttributes&) = delete;

    const std::string& Name() const { return m_name; }
    TColor Foreground() const { return m_foreground; }
    TColor Background() const { return m_background; }
    TFontStyles Style() const { return m_style; }

    void SetForeground(TColor color);
    void SetBackground(TColor color);
    // Bits outside the four font styles are dropped.
    void SetStyle(TFontStyles style);
    // Takes colours and style (not the name) from `other`.
    void AssignColorAndStyle(const TSynHighlighterAttributes& other);

    // Called after every change of colour or style; the owning highlighter sets it.
    void SetOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

private:
    void Changed();

    std::string m_name;
    TColor m_foreground;
    TColor m_background;
    TFontStyles m_style;
    std::function<void()> m_onChange;
};

// Keeps the registered attributes sorted by name (case ignored) for enumeration and
// notifies listeners, e.g. the editors that draw with this highlighter.
class TSynCustomHighlighter {
public:
    TSynCustomHighlighter() = default;
    TSynCustomHighlighter(const TSynCustomHighlighter&) = delete;
    TSynCustomHighlighter& operator=(const TSynCustomHighlighter&) = delete;
    virtual ~TSynCustomHighlighter() = default;

    int AttrCount() const { return static_cast<int>(m_attributes.size()); }
    // Registered attribute `index` in enumeration order; nullptr outside the range.
    TSynHighlighterAttributes* Attribute(int index) const;
    TSynHighlighterAttributes* AttributeByName(const std::string& name) const;

    // Returns an id for RemoveChangeListener.
    int AddChangeListener(std::function<void()> listener);
    void RemoveChangeListener(int id);

protected:
    void AddAttribute(TSynHighlighterAttributes& attribute);
    void NotifyChange();

private:
    std::vector<TSynHighlighterAttributes*> m_attributes;
    std::vector<std::pair<int, std::function<void()>>> m_listeners;
    int m_nextListenerId = 1;
};

// Case-insensitive (ASCII) ordering used for attribute names and word lists.
int CompareTextNoCase(const std::string& a, const std::string& b);

} // namespace qs
