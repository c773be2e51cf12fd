// Value label lists and their budget; see SavValueLabels.h.
#include "platform/spssio/SavValueLabels.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qs::spssio {

namespace {

constexpr std::uint64_t kBudgetBase = std::uint64_t(32) << 20;
constexpr std::uint64_t kBudgetPerByte = 16;
// Most variables have a handful of labels: a scan beats a map.
constexpr std::size_t kScanLimit = 16;

// Numeric labels are told apart by their value's bits, string labels by their text.
std::string valueKey(const SavValueLabel& label)
{
    if (!label.text.empty())
        return std::string(label.text);
    return std::string(reinterpret_cast<const char*>(&label.number), sizeof label.number);
}

bool sameValue(const SavValueLabel& a, const SavValueLabel& b)
{
    return a.text == b.text && std::memcmp(&a.number, &b.number, sizeof a.number) == 0;
}

} // namespace

std::uint64_t valueLabelBudget(std::uint64_t dictionaryBytes)
{
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    if (dictionaryBytes > (most - kBudgetBase) / kBudgetPerByte)
        return most;
    return kBudgetBase + kBudgetPerByte * dictionaryBytes;
}

std::uint64_t labelCharge(std::span<const SavValueLabel> labels)
{
    std::uint64_t bytes = 0;
    for (const SavValueLabel& label : labels)
        bytes += kLabelCharge + label.label.size() + label.text.size();
    return bytes;
}

void foldDuplicateValues(std::vector<SavValueLabel>& labels)
{
    std::unordered_map<std::string, std::size_t> at;
    const bool scan = labels.size() <= kScanLimit;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        std::size_t found = kept;
        if (scan) {
            for (std::size_t k = 0; k < kept && found == kept; ++k)
                if (sameValue(labels[k], labels[i]))
                    found = k;
        } else if (const auto [it, added] = at.emplace(valueKey(labels[i]), kept); !added) {
            found = it->second;
        }
        if (found < kept)
            labels[found].label = labels[i].label;
        else
            labels[kept++] = labels[i];
    }
    labels.resize(kept);
}

void LabelTable::addAll(int var, std::span<const SavValueLabel> labels, std::uint64_t charge)
{
    if (charge > m_left) {
        m_dropped += labels.size();
        return;
    }
    m_left -= charge;
    auto& list = m_dict.variables[static_cast<std::size_t>(var)].valueLabels;
    // Geometric growth: a variable may be named by very many small sets.
    const std::size_t needed = list.size() + labels.size();
    if (list.capacity() < needed)
        list.reserve(m_dict.texts, list.empty() ? needed : std::max(needed, 2 * list.capacity()));
    if (list.empty()) {
        // The set is folded already: nothing to look up.
        for (const SavValueLabel& label : labels)
            list.push_back(m_dict.texts, label);
        return;
    }
    for (const SavValueLabel& label : labels)
        merge(var, label);
}

void LabelTable::add(int var, const SavValueLabel& label)
{
    const std::uint64_t charge = labelCharge({&label, 1});
    if (charge > m_left) {
        ++m_dropped;
        return;
    }
    m_left -= charge;
    merge(var, label);
}

void LabelTable::merge(int var, const SavValueLabel& label)
{
    auto& labels = m_dict.variables[static_cast<std::size_t>(var)].valueLabels;
    if (labels.size() < kScanLimit) {
        for (std::size_t i = 0; i < labels.size(); ++i)
            if (sameValue(labels[i], label)) {
                labels[i] = label; // a value labelled twice keeps its last label
                return;
            }
    } else {
        auto& keys = m_keys[var];
        if (keys.empty())
            for (std::size_t i = 0; i < labels.size(); ++i)
                keys.emplace(valueKey(labels[i]), i);
        const auto [it, added] = keys.emplace(valueKey(label), labels.size());
        if (!added) {
            labels[it->second] = label;
            return;
        }
    }
    labels.push_back(m_dict.texts, label);
}

} // namespace qs::spssio
