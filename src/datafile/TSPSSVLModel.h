// The in-memory dictionary of one data file: variables with their attributes, value
// labels and missing values, variable sets and multiple-response sets. The reader
// (TSPSSDatafile) fills it on open and empties it on close.
#pragma once

#include "datafile/AVLtrees.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace qs {

class TSPSSDatafile;

// A value that may be unassigned, an integer, a number or a text.
using TVariant = std::variant<std::monostate, std::int32_t, double, std::string>;

class ESPSSDataFileException : public std::runtime_error {
public:
    explicit ESPSSDataFileException(const std::string& message, std::int32_t errorCode = 0)
        : std::runtime_error(message), m_errorCode(errorCode) {}
    // The I/O library's result code; 0 for the reader's own checks.
    std::int32_t ErrorCode() const { return m_errorCode; }

private:
    std::int32_t m_errorCode;
};

// A platform conversion failure: a text that is not a number, a date or a time.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Converts a decimal integer (leading blanks and a sign allowed) or raises EConvertError.
std::int32_t StrToInt(const std::string& text);

// Where the model's items and value label texts live: the reader's region, released
// at once when the file closes, or the heap for collections without a reader.
std::pmr::memory_resource* ModelMemory(TSPSSDatafile* owner);

// Items know their position and the ID their collection gave them.
class TSPSSCollectionItem {
public:
    virtual ~TSPSSCollectionItem() = default;
    std::int32_t Index() const { return m_index; }
    std::int32_t ID() const { return m_id; }

private:
    std::int32_t m_index = 0;
    std::int32_t m_id = 0;
    template <class> friend class TSPSSCollection;
};

// An ordered collection that owns its items and refers to the reader that owns it.
template <class Item> class TSPSSCollection {
public:
    explicit TSPSSCollection(TSPSSDatafile* owner) : m_owner(owner), m_memory(ModelMemory(owner)) {}
    TSPSSCollection(const TSPSSCollection&) = delete;
    TSPSSCollection& operator=(const TSPSSCollection&) = delete;
    virtual ~TSPSSCollection() { DestroyItems(); }

    TSPSSDatafile* Owner() const { return m_owner; }
    std::int32_t Count() const { return static_cast<std::int32_t>(m_items.size()); }
    Item& operator[](std::int32_t index) const { return *m_items.at(std::size_t(index)); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    // Also starts the IDs over: an open file's items are numbered from 0, so that
    // refreshing a large file again and again never runs the counter out.
    virtual void Clear() {
        DestroyItems();
        m_nextID = 0;
    }
    // Room for count items in all, so that adding a known number allocates once.
    void Reserve(std::int32_t count) { m_items.reserve(std::size_t(std::max(count, 0))); }

protected:
    Item* AddItem() {
        if (m_items.size() == m_items.capacity()) { // so that push_back cannot throw below
            m_items.reserve(std::max<std::size_t>(4, 2 * m_items.size()));
        }
        Item* item = m_memory.template new_object<Item>(m_owner);
        item->m_index = Count();
        item->m_id = m_nextID++; // unique among the items since the last Clear
        m_items.push_back(item);
        return item;
    }

private:
    void DestroyItems() {
        for (Item* item : m_items) {
            m_memory.delete_object(item);
        }
        m_items.clear();
    }

    TSPSSDatafile* m_owner;
    std::pmr::polymorphic_allocator<Item> m_memory;
    std::vector<Item*> m_items; // owned, made and destroyed through m_memory
    std::int32_t m_nextID = 0;
};

class TSPSSValueLabel : public TSPSSCollectionItem {
public:
    explicit TSPSSValueLabel(TSPSSDatafile* owner) : Label(ModelMemory(owner)) {}
    TVariant Value; // always a text: numbers as the general float text
    // In the model's memory: a large dictionary holds hundreds of thousands of them.
    std::pmr::string Label;
};

class TSPSSValuelabels : public TSPSSCollection<TSPSSValueLabel> {
public:
    using TSPSSCollection::TSPSSCollection;
    TSPSSValueLabel* Add() { return AddItem(); }
};

class TSPSSVariable : public TSPSSCollectionItem {
public:
    explicit TSPSSVariable(TSPSSDatafile* owner) : Label(ModelMemory(owner)), ValueLabels(owner) {}

    std::string Name;
    std::pmr::string Label; // in the model's memory, as value labels are
    double VarHandle = 0;
    std::int32_t PrintType = 0;
    std::int32_t WriteType = 0;
    std::int32_t WriteWidth = 0;    // kept beside WriteType so that tools can show the
    std::int32_t WriteDecimals = 0; // whole write format
    std::int32_t PrintWidth = 0;
    std::int32_t PrintDecimals = 0;
    std::int32_t ColumnWidth = 0;
    std::uint8_t Alignment = 0;
    std::uint8_t MeasureLevel = 0;
    TSPSSValuelabels ValueLabels;
    // 0 none; 1..3 discrete values; -2 range (Missing1..Missing2); -3 range plus Missing3.
    std::int32_t MissingFormat = 0;
    TVariant Missing1;
    TVariant Missing2;
    TVariant Missing3;
    bool IsNumeric = false;
    std::int32_t DictionaryIndex = 0;
    std::int32_t CaseOffset = 0;
    std::int32_t CaseWidth = 0;
    std::uint16_t VarID = 0;
};

class TSPSSVariables : public TSPSSCollection<TSPSSVariable> {
public:
    explicit TSPSSVariables(TSPSSDatafile* owner);

    TSPSSVariable* Add();
    // Case-insensitive; a miss rebuilds the indexes and looks once more, unless they
    // were rebuilt after the last Add. Renaming a variable in place needs RebuildIndexes.
    TSPSSVariable* FindByName(const std::string& name);
    void RebuildIndexes();
    void Clear() override;

    const TVarNameAVLTree& NameIndex() const { return *m_nameIndex; }
    const TVarIDAVLTree& IDIndex() const { return *m_idIndex; }

    TSPSSVariable* WeightVariable = nullptr;

private:
    std::unique_ptr<TVarNameAVLTree> m_nameIndex;
    std::unique_ptr<TVarIDAVLTree> m_idIndex;
    bool m_indexesCurrent = false; // rebuilt since the last Add
};

// Variables of a set, referred to, not owned.
class TSPSSVarList {
public:
    explicit TSPSSVarList(TSPSSDatafile* owner) : m_owner(owner) {}
    // Appends the variable of that name; raises "Variablename %s is not valid" for none.
    void Add(const std::string& name);
    std::int32_t Count() const { return static_cast<std::int32_t>(m_items.size()); }
    TSPSSVariable& operator[](std::int32_t index) const { return *m_items.at(std::size_t(index)); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    TSPSSDatafile* m_owner;
    std::vector<TSPSSVariable*> m_items;
};

class TSPSSVariableSet : public TSPSSCollectionItem {
public:
    explicit TSPSSVariableSet(TSPSSDatafile* owner) : VarList(owner) {}
    std::string Name;
    TSPSSVarList VarList;
};

class TSPSSVariableSets : public TSPSSCollection<TSPSSVariableSet> {
public:
    using TSPSSCollection::TSPSSCollection;
    TSPSSVariableSet* Add(const std::string& name);
};

class TSPSSMRMDSet : public TSPSSCollectionItem {
public:
    explicit TSPSSMRMDSet(TSPSSDatafile* owner) : VarList(owner) {}
    std::string Name; // without the leading dollar sign
    // The counted value's text for a multiple-dichotomy set, the integer -1 otherwise.
    TVariant CountedValue;
    std::string Label;
    TSPSSVarList VarList;
    bool IsDichotomy = false;
};

class TSPSSMRMDSets : public TSPSSCollection<TSPSSMRMDSet> {
public:
    using TSPSSCollection::TSPSSCollection;
    TSPSSMRMDSet* Add(const std::string& name);
};

} // namespace qs
