// Random access to the cases of a system file, for a table that asks for rows as it
// shows them. The first rows are readable at once; a background thread meanwhile builds
// an index of positions (every Nth case's place in the data and the bytecode state
// there), so that a jump to any case decodes at most N cases. Memory stays bounded
// whatever the file's size: fixed buffers, and an index of some bytes per N cases.
//
// Threads: every call may come from any thread. Reading holds the reader's own lock;
// the index builder has its own file handle and decoder and shares only the index.
#pragma once

#include "platform/spssio/SavRecordValues.h"
#include "platform/spssio/SavDictionary.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qs::spssio {

struct CaseCheckpoint;
class CaseDecoder;
struct ZTable;

// Decoded cases [first, first + count): one record per case, recordBytes each.
struct CaseBlock {
    std::int64_t first = 0;
    std::int64_t count = 0;
    std::size_t recordBytes = 0;
    std::vector<std::uint8_t> data;
    const std::uint8_t* record(std::int64_t row) const
    {
        return data.data() + static_cast<std::size_t>(row) * recordBytes;
    }
};

struct IndexProgress {
    std::int64_t cases = 0; // cases the builder has passed
    double fraction = 0;    // of the data read, 0..1
    bool finished = false;  // every case is indexed (or the builder stopped at an error)
    bool cancelled = false;
    std::string error; // damaged data the builder stopped at, with the case number
};

class CaseReader {
public:
    // Reads the dictionary of path and prepares its cases; null with message on failure.
    // indexStep: cases between checkpoints of the index, 0 for some 512 KB of records.
    static std::unique_ptr<CaseReader> open(const std::string& path, std::string& message,
                                            std::int64_t indexStep = 0);
    // Over a dictionary already read from path, which must outlive the reader.
    static std::unique_ptr<CaseReader> open(const SavDictionary& dict, const std::string& path,
                                            std::string& message, std::int64_t indexStep = 0);
    ~CaseReader(); // stops the builder
    CaseReader(const CaseReader&) = delete;
    CaseReader& operator=(const CaseReader&) = delete;

    const SavDictionary& dictionary() const { return *m_dict; }
    // The count the file declares; without one, the count the index found, -1 until then.
    std::int64_t caseCount() const;
    std::size_t recordBytes() const { return static_cast<std::size_t>(m_dict->slotCount) * 8; }

    // Up to count cases from first into block; fewer at the end of the data (and none past
    // it). False at a case that is cut off or damaged, with error() naming it; the cases
    // before it are in block.
    bool read(std::int64_t first, std::int64_t count, CaseBlock& block);
    std::string error() const;

    // Values of variable (dictionary index) in a record of this file.
    double number(const std::uint8_t* record, int variable) const
    {
        return recordNumber(*m_dict, record, variable);
    }
    // A string value's bytes in the file's encoding, as wide as the variable; scratch
    // holds a very long string pieced together from its segments.
    std::string_view bytes(const std::uint8_t* record, int variable, std::string& scratch) const
    {
        return recordBytesOf(*m_dict, record, variable, scratch);
    }

    // The background index: startIndexing does nothing while the builder runs or once it
    // has finished; after a cancel it goes on from the last checkpoint. The reader cancels
    // it when it goes; waitForIndex returns when the builder has stopped.
    void startIndexing();
    void cancelIndexing();
    void waitForIndex();
    IndexProgress indexProgress() const;
    // Cases between two checkpoints of the index.
    std::int64_t indexStep() const { return m_step; }

private:
    CaseReader(const SavDictionary& dict, std::unique_ptr<SavDictionary> own, std::string path,
               std::int64_t indexStep);
    bool prepare(std::string& message);
    std::unique_ptr<CaseDecoder> makeDecoder(int fd) const;
    // Puts the foreground decoder at case target; false with m_error.
    bool seekTo(std::int64_t target);
    // Keeps the decoder's position when it starts a case that the index wants next.
    void note(const CaseDecoder& decoder);
    void build();
    void buildPlain();

    const SavDictionary* m_dict;
    std::unique_ptr<SavDictionary> m_ownDict;
    std::string m_path;
    std::uint64_t m_fileSize = 0;
    std::shared_ptr<const ZTable> m_table;
    std::int64_t m_step = 1;

    mutable std::mutex m_readMutex; // the foreground decoder and m_error
    int m_fd = -1;
    std::unique_ptr<CaseDecoder> m_decoder;
    std::string m_error;

    mutable std::mutex m_indexMutex; // m_points and m_progress
    std::vector<CaseCheckpoint> m_points; // m_points[k]: where case k * m_step starts
    IndexProgress m_progress;
    std::atomic<std::int64_t> m_counted{-1};

    std::thread m_builder;
    std::atomic<bool> m_cancel{false};
};

} // namespace qs::spssio
