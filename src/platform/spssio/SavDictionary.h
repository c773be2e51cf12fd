// The dictionary and header of one SPSS system file (.sav/.zsav) as our reader
// finds them: texts already recoded to UTF-8, very long strings folded into one
// variable, set definitions with long member names. The C interface serves from it.
#pragma once

#include "platform/memory/Arena.h"
#include "platform/spssio/SavNameIndex.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qs::spssio {

struct SavMissing {
    int format = 0; // SPSS_NO_MISSVAL ... SPSS_MISS_RANGEANDVAL
    double number[3] = {0, 0, 0};
    std::string_view text[3]; // string variables: the value, cut to the width (in texts)
};

// Texts of labels are views into SavDictionary::texts.
struct SavValueLabel {
    double number = 0;     // numeric variables
    std::string_view text; // string variables, trailing blanks removed
    std::string_view label;
};

// A piece of a string value in the case record: a very long string is stored as
// segments of at most 255 bytes each, packed without gaps.
struct SavSegment {
    int slot = 0;  // first 8-byte slot
    int bytes = 0; // bytes of the value it holds
};

struct SavVariable {
    std::string name;      // long name
    std::string shortName; // the 8-byte name of the (first) type-2 record
    int width = 0;         // 0 numeric, else the string length
    int printFormat = 0;   // packed: type << 16 | width << 8 | decimals (strings: see width)
    int writeFormat = 0;
    bool hasLabel = false;
    // Bytes of label within the interface's limit, counted in the file's encoding.
    std::uint32_t labelCut = 0;
    std::string_view label; // in SavDictionary::texts
    SavMissing missing;
    ArenaVector<SavValueLabel> valueLabels; // in SavDictionary::texts
    int measure = 0;
    int columnWidth = 8;
    int alignment = 0;
    int slot = 0;      // first 8-byte slot of the case record, from 0
    int slotCount = 1; // 8-byte slots the variable takes
    // Very long strings: their segments in SavDictionary::segments, else -1 (one piece).
    int firstSegment = -1;
    int segmentCount = 1;
};

struct SavDictionary {
    SavDictionary() = default;
    SavDictionary(SavDictionary&&) = default;
    SavDictionary& operator=(SavDictionary&&) = default;

    Arena texts; // holds every label; moves with the dictionary, never copies
    bool bigEndian = false;
    int compression = 0; // 0 none, 1 bytecode, 2 zlib
    // The header's product string without its "@(#) SPSS DATA FILE" lead, within the
    // interface's limit counted in the file's encoding.
    std::string systemString;
    std::string date;     // "dd mmm yy"
    std::string time;     // "hh:mm:ss"
    std::string fileLabel;
    std::string textInfo;
    std::size_t textInfoCut = 0; // bytes of textInfo within the interface's limit, as labelCut
    std::string encoding; // iconv name of the file's encoding
    int codePage = 0;     // character code of the machine record, 0 when absent
    bool hasMachineInfo = false;
    int releaseInfo[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    double sysmis = 0, highest = 0, lowest = 0;
    std::int64_t caseCount = -1;
    int slotCount = 0;       // 8-byte slots of one case
    double bias = 100;       // of bytecode compression: code 1..251 stands for code - bias
    std::uint64_t dataOffset = 0; // where the cases start (after record 999)
    std::vector<SavSegment> segments; // of the very long strings
    int weightVariable = -1; // index into variables
    std::vector<SavVariable> variables;
    std::vector<std::string> documents;
    std::string variableSets; // definition texts, one set per line
    std::string mrSets;
    // What the value labels of this file may cost (see SavValueLabels.h) and how
    // many labels were left out to keep within it; 0 for any ordinary file.
    std::uint64_t valueLabelBudget = 0;
    std::uint64_t droppedValueLabels = 0;

    // Index of the variable with that name (ASCII case ignored), or -1.
    int find(std::string_view name) const;
    void rebuildIndex();

private:
    NameIndex m_index;
    std::vector<bool> m_ownsName; // whether the index gives a variable's name to it
    mutable int m_lastFound = -1; // the index's last answer (atomic_ref)
};

// Reads the dictionary of the file at path. Returns an SPSS_* result code.
int readSavFile(const char* path, SavDictionary& out);
// The same over bytes in memory (tests, fuzzing).
int readSavBytes(const std::uint8_t* data, std::size_t size, SavDictionary& out);

// The least number of bytes a file is read by (0: the default of a megabyte); tests
// and fuzzing make it small so that records cross the window's end everywhere.
void setReadWindow(std::size_t bytes);

// Upper-cases ASCII letters; the key of case-insensitive name lookups.
std::string foldName(std::string_view name);

} // namespace qs::spssio
