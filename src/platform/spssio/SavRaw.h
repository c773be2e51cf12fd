// The records of a system file dictionary as read, before recoding and folding:
// the hand-over between the record reader and the dictionary builder.
#pragma once

#include "platform/memory/Arena.h"
#include "platform/spssio/SavDictionary.h"
#include "platform/spssio/SavInput.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qs::spssio {

struct RawVariable {
    int width = 0; // 0 numeric, 1..255 string
    int printFormat = 0;
    int writeFormat = 0;
    std::string name; // 8 bytes, trailing blanks cut
    bool hasLabel = false;
    std::string_view label; // in RawDictionary::texts
    int missingFormat = 0;
    std::array<std::array<char, 8>, 3> missing; // raw bytes
    int slot = 0;
    int slotCount = 1;
};

struct RawLabel {
    std::array<char, 8> value; // raw value bytes
    std::string_view label;    // in RawDictionary::texts
};

// One type-3 record with its type-4 record: ranges of RawDictionary::labels and
// RawDictionary::labelSlots (1-based slot indexes).
struct RawLabelSet {
    std::size_t firstLabel = 0, labelCount = 0;
    std::size_t firstSlot = 0, slotCount = 0;
};

struct RawDictionary {
    // The labels of variables and values as read; the dictionary takes it over, so
    // that a text needing no recoding is never copied again.
    Arena texts;
    // The tables below, released with the raw records.
    Arena scratch;
    ArenaResource scratchResource{scratch};

    RawDictionary() = default;
    RawDictionary(const RawDictionary&) = delete;
    RawDictionary& operator=(const RawDictionary&) = delete;

    bool bigEndian = false;
    int compression = 0;
    std::string product, date, time, fileLabel;
    std::int32_t weightSlot = 0; // 1-based, 0 none
    std::int32_t headerCases = -1;
    std::int32_t headerSlots = -1; // the header's case size in slots, -1 unknown
    double bias = 100;
    std::int64_t cases64 = -1;
    int slotCount = 0;
    std::pmr::vector<RawVariable> variables{&scratchResource}; // continuations in slotCount
    std::pmr::vector<RawLabelSet> labelSets{&scratchResource};
    std::pmr::vector<RawLabel> labels{&scratchResource};
    std::pmr::vector<std::int32_t> labelSlots{&scratchResource};
    std::vector<std::string> documents;
    bool hasMachineInfo = false;
    std::int32_t machineInfo[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    bool hasFloatInfo = false;
    double floatInfo[3] = {0, 0, 0};
    std::vector<std::int32_t> displayParams;
    std::string longNames, veryLongStrings, encoding, textInfo, variableSets, mrSets, mrSetsExt;
    std::string longLabels, longMissing; // payloads of 7.21 and 7.22
};

// Reads records up to and including type 999 (SPSS_* result).
int readRawDictionary(SavInput& in, RawDictionary& raw);
// Stores a type-7 record's payload in raw; records of an unexpected shape are skipped.
void keepExtension(std::int32_t subtype, std::int32_t size, std::int32_t count,
                   const std::uint8_t* data, const SavInput& in, RawDictionary& raw);
// Recodes, folds and links the raw records into the dictionary (SPSS_* result);
// texts are moved out of raw.
int buildDictionary(RawDictionary& raw, const SavInput& in, SavDictionary& dict);

} // namespace qs::spssio
