// The dictionary model's collections: variables with their name and ID indexes, variable
// lists and the two kinds of sets.
#include "datafile/TSPSSVLModel.h"
#include "datafile/LocaleText.h"
#include "datafile/SPSSResourcestrings.h"
#include "datafile/TSPSSVL.h"

#include <charconv>
#include <climits>

namespace qs {

std::int32_t StrToInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    if (i + 1 < text.size() && text[i] == '+' && text[i + 1] != '-') {
        ++i;
    }
    std::int32_t value = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last) {
        throw EConvertError("'" + text + "' is not a valid integer value");
    }
    return value;
}

TSPSSVariables::TSPSSVariables(TSPSSDatafile* owner)
    : TSPSSCollection(owner), m_nameIndex(std::make_unique<TVarNameAVLTree>()),
      m_idIndex(std::make_unique<TVarIDAVLTree>()) {}

TSPSSVariable* TSPSSVariables::Add() {
    TSPSSVariable* var = AddItem();
    var->VarID = static_cast<std::uint16_t>(var->ID() & 0xFFFF);
    m_indexesCurrent = false;
    return var;
}

TSPSSVariable* TSPSSVariables::FindByName(const std::string& name) {
    TVarNameAVLNode* node = m_nameIndex->Find(name);
    if (node == nullptr) {
        // A rebuild of indexes that already hold every item would find nothing new, and
        // the set parsers miss once per unknown token: skip it to stay linear.
        if (m_indexesCurrent) {
            return nullptr;
        }
        RebuildIndexes();
        node = m_nameIndex->Find(name);
        if (node == nullptr) {
            return nullptr;
        }
    }
    if (node->FIndex < 0 || node->FIndex >= Count()) {
        return nullptr;
    }
    TSPSSVariable& var = (*this)[node->FIndex];
    return SameTextIgnoreCase(var.Name, name) ? &var : nullptr;
}

void TSPSSVariables::RebuildIndexes() {
    m_nameIndex = std::make_unique<TVarNameAVLTree>();
    m_idIndex = std::make_unique<TVarIDAVLTree>();
    // A name equal to an earlier one (ignoring case) keeps the earlier item.
    for (const auto& var : *this) {
        if (TVarNameAVLNode* node = m_nameIndex->Add(var->Name)) {
            node->FIndex = var->Index();
        }
    }
    for (const auto& var : *this) {
        if (TVarIDAVLNode* node = m_idIndex->Add(var->VarID)) {
            node->FIndex = var->Index();
        }
    }
    m_indexesCurrent = true;
}

void TSPSSVariables::Clear() {
    TSPSSCollection::Clear();
    m_nameIndex = std::make_unique<TVarNameAVLTree>();
    m_idIndex = std::make_unique<TVarIDAVLTree>();
    m_indexesCurrent = false;
    WeightVariable = nullptr;
}

void TSPSSVarList::Add(const std::string& name) {
    TSPSSVariable* var = m_owner->Variables().FindByName(name);
    if (var == nullptr) {
        throw ESPSSDataFileException(FormatMessage(SInvalidVariableName, name));
    }
    m_items.push_back(var);
}

TSPSSVariableSet* TSPSSVariableSets::Add(const std::string& name) {
    TSPSSVariableSet* set = AddItem();
    set->Name = name;
    return set;
}

TSPSSMRMDSet* TSPSSMRMDSets::Add(const std::string& name) {
    TSPSSMRMDSet* set = AddItem();
    set->Name = name;
    return set;
}

} // namespace qs
