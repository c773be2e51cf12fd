// Decodes a system file's cases one after another into case records: one 8-byte slot
// per dictionary record, numbers as host doubles, strings as the file's bytes. Plain,
// bytecode and zlib data alike; every code is checked, and a case that is cut off or
// damaged is an error that says what is wrong, never a value passed on.
#pragma once

#include "platform/spssio/SavDataSource.h"
#include "platform/spssio/SavDictionary.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qs::spssio {

// Where decoding can go on from: the start of a case.
struct CaseCheckpoint {
    std::uint64_t offset = 0; // in the data stream: the next byte to read
    std::uint8_t codes[8] = {}; // the bytecode block in use
    std::uint8_t used = 8;      // its codes already taken (8: a block starts at offset)
};

enum class CaseStatus { Ok, End, Error };

class CaseDecoder {
public:
    // fd stays the caller's and must serve this decoder alone; table: the .zsav's blocks.
    CaseDecoder(const SavDictionary& dict, int fd, std::uint64_t fileSize,
                std::shared_ptr<const ZTable> table);
    ~CaseDecoder();
    CaseDecoder(const CaseDecoder&) = delete;
    CaseDecoder& operator=(const CaseDecoder&) = delete;

    // Prepares reading at case 0; false with error().
    bool open();
    // The next case into record (recordBytes()); End after the last case (the declared
    // count, or where the data end when the file does not declare one).
    CaseStatus next(std::uint8_t* record);
    // Passes over the next case without keeping it.
    CaseStatus skip() { return next(m_scratch.data()); }
    std::int64_t caseIndex() const { return m_case; } // of the case next() reads
    CaseCheckpoint checkpoint() const;
    // Goes on from a checkpoint taken at case caseIndex (of this file).
    bool restore(const CaseCheckpoint& at, std::int64_t caseIndex);
    // Plain data: the checkpoint of any case, without decoding.
    bool isPlain() const { return m_dict.compression == 0; }
    CaseCheckpoint plainCheckpoint(std::int64_t caseIndex) const;

    std::size_t recordBytes() const { return m_recordBytes; }
    // "case 12: the data end inside it (variable city)"; 1-based, as users count cases.
    const std::string& error() const { return m_error; }
    double progress() const; // 0..1 of the data read so far

private:
    bool fill(); // more bytes from the source; false at its end or on error
    std::size_t take(std::uint8_t* to, std::size_t n); // up to n bytes: fewer at the end
    bool nextCodes();
    CaseStatus failAt(int slot, const std::string& what); // slot -1: between cases
    CaseStatus endAt(int slot, bool inside);
    CaseStatus decodePlain(std::uint8_t* record);
    CaseStatus decodeCompressed(std::uint8_t* record);

    const SavDictionary& m_dict;
    int m_fd;
    std::uint64_t m_fileSize;
    std::shared_ptr<const ZTable> m_table;
    std::unique_ptr<DataSource> m_source;
    std::vector<std::uint8_t> m_numeric; // per slot: 1 when it holds a number
    std::vector<std::uint8_t> m_scratch;
    std::size_t m_recordBytes = 0;
    const std::uint8_t* m_p = nullptr;
    const std::uint8_t* m_end = nullptr;
    std::uint64_t m_offset = 0; // stream offset of m_p
    std::uint8_t m_codes[8] = {};
    int m_used = 8;
    std::int64_t m_case = 0;
    bool m_sourceEnded = false;
    std::string m_error;
};

} // namespace qs::spssio
