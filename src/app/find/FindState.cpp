// The find state and its history helpers.
#include "app/find/FindState.h"

#include <algorithm>

namespace qs {

TFindState& FindState() {
    static TFindState state;
    return state;
}

unsigned SearchOptions(const TFindState& state, bool replace, bool backwards,
                       bool continueFromCaret) noexcept {
    unsigned options = 0;
    if (state.MatchCase) {
        options |= soMatchCase;
    }
    if (state.WholeWords) {
        options |= soWholeWord;
    }
    if (backwards) {
        options |= soBackwards;
    }
    if (!continueFromCaret) {
        options |= soEntireScope;
    }
    if (state.SelectionOnly) {
        options |= soSelectedOnly;
    }
    if (replace) {
        options |= soReplace | soReplaceAll | soPrompt;
    }
    return options;
}

std::vector<std::string> SplitHistory(const std::string& text) {
    std::vector<std::string> items;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > begin) {
            items.push_back(text.substr(begin, end - begin));
        }
        begin = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') {
            ++begin;
        }
    }
    return items;
}

std::string JoinHistory(const std::vector<std::string>& items, std::size_t limit) {
    std::string text;
    const std::size_t count = std::min(items.size(), limit);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += "\r\n";
        }
        text += items[i];
    }
    return text;
}

} // namespace qs
