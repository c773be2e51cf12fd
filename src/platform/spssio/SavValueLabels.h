// The value labels of a dictionary's variables as the reader gives them out: each
// variable's list without two labels for one value, and the budget of bytes that keeps
// a file whose label sets name very many variables from expanding without bound.
#pragma once

#include "platform/spssio/SavDictionary.h"

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace qs::spssio {

// What one label given to one variable costs an open beyond its texts: the reader's
// entry (40 bytes), the model's item with its place in the variable's list (about 110)
// and the number's text the model keeps (up to 32).
inline constexpr std::uint64_t kLabelCharge = 192;

// The bytes the labels of a file may cost, charged as above. A label set is stored
// once but applies to every variable it names, so a small file can ask for millions
// of labels; the budget grows with the dictionary, so that a file whose variables each
// carry their own labels never reaches it (each label takes 16 bytes or more there).
// Base 32 MiB, plus 16 bytes per byte of the dictionary.
std::uint64_t valueLabelBudget(std::uint64_t dictionaryBytes);

// The charge of labels as one variable gets them.
std::uint64_t labelCharge(std::span<const SavValueLabel> labels);

// Folds labels of equal value into the first one's place with the last one's label,
// as a variable keeps them.
void foldDuplicateValues(std::vector<SavValueLabel>& labels);

class LabelTable {
public:
    LabelTable(SavDictionary& dict, std::uint64_t budget)
        : m_dict(dict), m_budget(budget), m_left(budget)
    {
    }

    // Gives var all of labels (folded, charged as labelCharge says), or, when that
    // would pass the budget, none of them: a variable never shows part of a set.
    void addAll(int var, std::span<const SavValueLabel> labels, std::uint64_t charge);
    // One label, charged alone.
    void add(int var, const SavValueLabel& label);
    std::uint64_t budget() const { return m_budget; }
    std::uint64_t dropped() const { return m_dropped; }

private:
    // A value labelled before keeps its place and takes the new label.
    void merge(int var, const SavValueLabel& label);

    SavDictionary& m_dict;
    std::uint64_t m_budget;
    std::uint64_t m_left;
    std::uint64_t m_dropped = 0;
    // value → position, for the few variables that gather many labels from several sets
    std::unordered_map<int, std::unordered_map<std::string, std::size_t>> m_keys;
};

} // namespace qs::spssio
