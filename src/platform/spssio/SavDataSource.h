// The bytes of a system file's data record, in order from any offset: the file's own
// bytes after the dictionary, or what its zlib blocks inflate to (.zsav). Memory stays
// a few hundred kilobytes whatever the file or its block table claim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qs::spssio {

class DataSource {
public:
    virtual ~DataSource() = default;
    // Prepares reading from offset 0; false with error() when the data cannot be read.
    virtual bool open() = 0;
    // Moves to offset in the data stream; false with error() when it cannot be reached.
    virtual bool seek(std::uint64_t offset) = 0;
    // The next bytes from the current position, advancing past them: size 0 at the end of
    // the data; false with error() for a read or inflate failure.
    virtual bool next(const std::uint8_t*& data, std::size_t& size) = 0;
    // How far reading has come in the file and how far it goes, for progress.
    virtual std::uint64_t fileDone() const = 0;
    virtual std::uint64_t fileTotal() const = 0;
    const std::string& error() const { return m_error; }

protected:
    std::string m_error;
};

// A block of zlib data: where it lies in the file and what it inflates to.
struct ZBlock {
    std::uint64_t plainOffset = 0; // in the inflated stream, from 0
    std::uint64_t fileOffset = 0;
    std::uint64_t fileEnd = 0;     // 0 while not known
};

// The blocks of a .zsav as its trailer lists them, read and checked once and shared by
// every reader of the file; empty when the trailer is missing or damaged, and then each
// reader finds the blocks one after another as it inflates.
struct ZTable {
    std::uint64_t firstBlock = 0; // file offset of the first block
    std::uint64_t trailerOffset = 0;
    std::uint64_t plainSize = 0;  // of all blocks, when the trailer is sound
    std::vector<ZBlock> blocks;
    std::string problem; // why the trailer is not used, or empty
};

// Reads and checks the zlib header at dataOffset and the trailer it points to.
// False (with message) only when not even the header can be read.
bool readZTable(int fd, std::uint64_t fileSize, std::uint64_t dataOffset, bool bigEndian,
                double bias, ZTable& table, std::string& message);

// fd stays the caller's; each source needs its own descriptor (Windows moves its position).
std::unique_ptr<DataSource> makeFileSource(int fd, std::uint64_t begin, std::uint64_t end);
std::unique_ptr<DataSource> makeZlibSource(int fd, std::uint64_t fileSize,
                                           std::shared_ptr<const ZTable> table);

} // namespace qs::spssio
