// TSPSSDatafile: opens a data file through the SPSS I/O library, reads its whole
// dictionary and header into the dictionary model at once, and releases it on close.
// Cases are read one at a time through the library's case calls.
#pragma once

#include "datafile/SPSSHashtable.h"
#include "datafile/TSPSSVLModel.h"
#include "platform/memory/Arena.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qs {

class TSPSSFileInfo {
public:
    explicit TSPSSFileInfo(TSPSSDatafile* datafile);

    TSPSSDatafile* Datafile;
    double TimeStamp = 0; // days since 30 December 1899 plus the fraction of the day
    std::string IdString;
    double LowestValue = 0;
    double HighestValue = 0;
    std::string SystemString;
    std::array<std::int32_t, 8> ReleaseInfo{};
    std::string TextInfo;
    // The reader's budget for this file's value labels, in bytes, and how many labels
    // it left out to keep within it (0 for any ordinary file).
    std::int64_t ValueLabelBudget = 0;
    std::int64_t DroppedValueLabels = 0;
};

class TSPSSCases {
public:
    explicit TSPSSCases(TSPSSDatafile* datafile) : Datafile(datafile) {}

    TSPSSDatafile* Datafile;
    std::unique_ptr<std::byte[]> CaseBuffer; // CaseSize bytes while open
    std::int64_t NumberOfCases = 0;          // -1: the file does not say
};

enum TSPSSOpenMode : std::uint8_t {
    omClosed = 0,
    omRead = 1,
    omAppend = 2,
    omWrite = 3,
};

// How a file stores its cases: the I/O library's compression switch.
enum TSPSSCompression : std::uint8_t {
    cmNone = 0,
    cmBytecode = 1,
    cmZlib = 2,
};

// The memory bound of an open; see TSPSSDatafile::Open.
inline constexpr std::uint64_t kOpenBytesPerFileByte = 64;
inline constexpr std::uint64_t kOpenBaseBytes = std::uint64_t(64) << 20;

class TSPSSDatafile {
public:
    TSPSSDatafile();
    TSPSSDatafile(const TSPSSDatafile&) = delete;
    TSPSSDatafile& operator=(const TSPSSDatafile&) = delete;
    // Does not close an open file: the owner closes first.
    virtual ~TSPSSDatafile();

    const std::string& Filename() const { return m_filename; }
    // Raises "File %s does not exist" when the path's folder does not exist.
    void SetFilename(const std::string& path);
    bool WriteDirect() const { return m_writeDirect; }
    // Raises while the file is open.
    void SetWriteDirect(bool value);

    // Reads the dictionary and header; raises ESPSSDataFileException (or EConvertError
    // for a malformed header date) and then leaves the reader for Close to reset.
    // Value labels past the reader's budget are left out, with a notice on standard
    // error (ValueLabelNotice). However a file is made, an open holds at most
    // kOpenBytesPerFileByte times the file's size plus kOpenBaseBytes at any moment,
    // reader and model together: a variable record (32 bytes) costs some 1,000 bytes in
    // all, other records less per byte; the labels a shared set gives many variables are
    // what could grow without bound, and their budget (32 MiB plus 16 bytes per byte of
    // the dictionary, charged near what they cost) caps them; the case table makes no
    // page on open, whatever the case count.
    void Open();
    // Closes the library file and empties the model, also when the library fails.
    void Close();

    // Cases, through the library's case calls. ReadCaseRecord makes the next case current
    // and returns false after the last one; a case that is cut off or damaged raises
    // "Error reading file: case N: what is wrong". SeekNextCase(n): the next read gives
    // case n (from 0). The values are those of the current case: numbers with SysmisValue
    // for system-missing, strings in UTF-8 padded with blanks to the variable's width.
    bool ReadCaseRecord();
    void SeekNextCase(std::int64_t caseNumber);
    double GetValueNumeric(const TSPSSVariable& var) const;
    std::string GetValueChar(const TSPSSVariable& var) const;

    // Raises ESPSSDataFileException for the library's error codes that have a message.
    static void CheckSPSSError(int code);
    // Header date "dd MMM yy" and time "hh:mm:ss" as days since 30 December 1899.
    static double ParseTimeStamp(const std::string& date, const std::string& time);

    TSPSSVariables& Variables() const { return *m_variables; }
    TSPSSMRMDSets& MRSets() const { return *m_mrSets; }
    TSPSSVariableSets& VariableSets() const { return *m_variableSets; }
    TSPSSCases& Cases() const { return *m_cases; }
    TSPSSHashTable& CaseTable() const { return *m_caseTable; }
    TSPSSFileInfo& FileInfo() const { return *m_fileInfo; }

    // The memory of the model's items; see ModelMemory.
    std::pmr::memory_resource* ModelMemory() { return &m_modelMemory; }

    // Set parsers of the definition texts the library returns (one set per line).
    void ParseVariableSets(std::string text);
    void ParseMRSets(std::string text);
    void ParseMRSet(const std::string& line);

    std::int32_t ReadHandle = -1;
    std::int32_t WriteHandle = -1;
    TSPSSOpenMode OpenMode = omClosed;
    bool Compressed = true; // bytecode or zlib
    TSPSSCompression Compression = cmBytecode;
    double SysmisValue = 0;
    std::int32_t CaseSize = 0;

private:
    void ReadDictionary();
    void ReadVariable(TSPSSVariable& var);
    void ReadMissingValues(TSPSSVariable& var);
    void ReadValueLabels(TSPSSVariable& var);
    void ReadVariableSets();
    void ReadMRSets();
    void ReadHeader();
    void AllocateCaseBuffer();
    void ResetModel();

    std::string m_filename;
    bool m_writeDirect = false;
    // Declared before the collections, so that it outlives the items they destroy.
    Arena m_modelArena;
    ArenaResource m_modelMemory{m_modelArena};
    std::unique_ptr<TSPSSVariables> m_variables;
    std::unique_ptr<TSPSSMRMDSets> m_mrSets;
    std::unique_ptr<TSPSSVariableSets> m_variableSets;
    std::unique_ptr<TSPSSCases> m_cases;
    std::unique_ptr<TSPSSFileInfo> m_fileInfo;
    std::unique_ptr<TSPSSHashTable> m_caseTable;
};

// "N value labels left out: ..." for a file whose labels passed the reader's budget,
// else empty.
std::string ValueLabelNotice(const TSPSSDatafile& file);

} // namespace qs
