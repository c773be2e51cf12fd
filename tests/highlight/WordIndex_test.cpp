// Tests that the word look-ups (hash table, trie) give exactly what searching the sorted lists (and
// the variable list from the start), ignoring case, gives.
#include "HighlightTestUtil.h"
#include "highlight/WordIndex.h"
#include "highlight/WordTable.h"
#include "support/CollidingNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qs {
namespace {

// A random placement of some 4,000 keys in 8,192 slots has a longest probe of about 20, and
// of over 128 almost never; a table that piles them up has one in the thousands.
constexpr std::size_t kLongestProbe = 128;

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

// A data file's variable names join the words; names that an unseeded hash sends to one
// slot slowed highlighting down tens of times.
TEST(WordTable, NamesCraftedToCollideKeepProbesShort) {
    const std::vector<std::string> names = test::FnvCollidingNames(4096, 8, 20, test::kFnv1a64, 2);
    WordTable table;
    for (const std::string& name : names) {
        table.Add(name, 4);
    }
    EXPECT_LE(table.LongestProbe(), kLongestProbe);
    for (const std::string& name : names) {
        ASSERT_EQ(table.Find(Upper(name)), 4u) << name;
    }
}

// One long word whose every edge the fixed multiplicative hash once sent to the first
// eighth of the table: the trie's edges must still spread.
TEST(WordIndex, EdgesChosenToClusterKeepProbesShort) {
    std::string word;
    for (std::uint64_t node = 0; node < 4000; ++node) { // an edge from node n makes node n + 1
        for (unsigned c = 1; c < 256; ++c) {
            if (WordIndex::Fold(static_cast<unsigned char>(c)) == c &&
                (((node << 8) | c) * 0x9E3779B97F4A7C15ull) >> 61 == 0) {
                word += static_cast<char>(c);
                break;
            }
        }
    }
    WordIndex index;
    index.Add(word, 1);
    EXPECT_LE(index.LongestProbe(), kLongestProbe);
    EXPECT_EQ(index.Find(word), 1u);
}

} // namespace
} // namespace qs
