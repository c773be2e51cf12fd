// Tests that the word look-ups (hash table, trie) give exactly what searching the sorted lists (and
// the variable list from the start), ignoring case, gives.
#include "HighlightTestUtil.h"
#include "highlight/WordIndex.h"
#include "highlight/WordTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qs {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(WordIndex::Fold(static_cast<unsigned char>(c)));
    }
    return s;
}

bool InSortedList(const std::vector<std::string>& sorted, const std::string& word) {
    return std::binary_search(sorted.begin(), sorted.end(), Upper(word));
}

std::string RandomWord(std::mt19937& rng, std::string_view alphabet, size_t maxLength) {
    std::uniform_int_distribution<size_t> length(1, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string word(length(rng), ' ');
    for (char& c : word) {
        c = alphabet[pick(rng)];
    }
    return word;
}

// Both look-up structures, the trie and the hash table, against a sorted list.
TEST(WordIndex, FindsExactlyTheStoredWordsIgnoringCase) {
    std::mt19937 rng(12345);
    constexpr std::string_view kAlphabet = "abAB.#_ 9\xE9";
    WordIndex index;
    WordTable table;
    std::vector<std::string> stored;
    for (int i = 0; i < 3000; ++i) { // enough to make the table grow several times
        std::string word = RandomWord(rng, kAlphabet, 6);
        index.Add(word, 1u << (i % 3));
        table.Add(word, 1u << (i % 3));
        stored.push_back(Upper(word));
    }
    std::sort(stored.begin(), stored.end());
    for (int i = 0; i < 20000; ++i) {
        std::string probe = RandomWord(rng, kAlphabet, 7);
        EXPECT_EQ(index.Find(probe) != 0, InSortedList(stored, probe)) << probe;
        EXPECT_EQ(table.Find(probe) != 0, InSortedList(stored, probe)) << probe;
    }
    EXPECT_EQ(index.Find(""), 0u);
    EXPECT_EQ(table.Find(""), 0u);
}

TEST(WordIndex, CombinesBitsOfRepeatedWordsAndClearForgets) {
    WordIndex index;
    index.Add("Mean", 2);
    index.Add("MEAN", 8);
    EXPECT_EQ(index.Find("mean"), 10u);
    EXPECT_EQ(index.Find("mea"), 0u);
    EXPECT_EQ(index.Step(WordIndex::kNone, 'A'), WordIndex::kNone);
    index.Clear();
    EXPECT_EQ(index.Find("MEAN"), 0u);
    WordTable table;
    table.Add("Mean", 2);
    table.Add("MEAN", 8);
    table.Add("x", 0); // no flags: not stored
    EXPECT_EQ(table.Find("mean"), 10u);
    EXPECT_EQ(table.Find("mea"), 0u);
    EXPECT_EQ(table.Find("X"), 0u);
    table.Clear();
    EXPECT_EQ(table.Find("MEAN"), 0u);
}

// The highlighter's classification against a plain search of its own sorted lists.
TEST(WordIndex, ClassifyWordMatchesListSearch) {
    std::mt19937 rng(777);
    constexpr std::string_view kAlphabet = "abcAB-/.#$";
    const ElementList classLists[] = {ElementList::Commands, ElementList::Subcommands,
                                      ElementList::Keywords, ElementList::Functions,
                                      ElementList::Operators};
    LanguageElements elements;
    for (size_t i = 0; i < kElementListCount; ++i) {
        for (int n = 0; n < 40; ++n) {
            elements.texts[i] += RandomWord(rng, kAlphabet, 3) + ",";
        }
    }
    std::vector<std::string> variables;
    for (int n = 0; n < 40; ++n) {
        variables.push_back(RandomWord(rng, kAlphabet, 3));
    }
    TSynSPSSHighlighter hl(elements);
    hl.SetVariables(variables);
    auto sortedUpper = [&](ElementList list) {
        std::vector<std::string> upper;
        for (const auto& entry : hl.List(list)) {
            upper.push_back(Upper(entry));
        }
        std::sort(upper.begin(), upper.end());
        return upper;
    };
    for (int i = 0; i < 5000; ++i) {
        std::string word = RandomWord(rng, kAlphabet, 3);
        WordClass wc = hl.ClassifyWord(word);
        int letters = 0;
        for (size_t bit = 0; bit < 5; ++bit) {
            letters |= InSortedList(sortedUpper(classLists[bit]), word) ? 1 << bit : 0;
        }
        EXPECT_EQ(wc.code == ClassCode::None, letters == 0) << word;
        bool isVariable = std::any_of(variables.begin(), variables.end(),
                                      [&](const auto& v) { return Upper(v) == Upper(word); });
        TokenKind expected = InSortedList(sortedUpper(ElementList::ExecuteCommands), word)
                                 ? TokenKind::Execute
                                 : (isVariable ? TokenKind::Variable : TokenKind::Unknown);
        EXPECT_EQ(wc.preliminary, expected) << word;
        EXPECT_EQ(wc.starter, InSortedList(sortedUpper(ElementList::MultiWordStarters), word))
            << word;
    }
}

} // namespace
} // namespace qs
