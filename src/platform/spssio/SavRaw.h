// The records of a system file dictionary as read, before recoding and folding:
// the hand-over between the record reader and the dictionary builder.
#pragma once

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
    std::string label;
    int missingFormat = 0;
    std::array<std::string, 3> missing; // 8 raw bytes each
    int slot = 0;
    int slotCount = 1;
};

struct RawLabelSet {
    std::vector<std::pair<std::string, std::string>> labels; // 8 raw value bytes, label
    std::vector<std::int32_t> slots;                          // 1-based slot indexes
};

struct RawDictionary {
    bool bigEndian = false;
    int compression = 0;
    std::string product, date, time, fileLabel;
    std::int32_t weightSlot = 0; // 1-based, 0 none
    std::int32_t headerCases = -1;
    std::int64_t cases64 = -1;
    int slotCount = 0;
    std::vector<RawVariable> variables; // continuation records folded into slotCount
    std::vector<RawLabelSet> labelSets;
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
