// The data record's byte sources; see SavDataSource.h.
#include "platform/spssio/SavDataSource.h"

#include "platform/FileDescriptor.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qs::spssio {

namespace {

constexpr std::size_t kFileBuffer = 256 * 1024;
constexpr std::size_t kInflateInput = 64 * 1024;
constexpr std::size_t kInflateOutput = 256 * 1024;
// More blocks than this is no real file (a block is some megabytes); the trailer is then
// not trusted, and blocks are found by inflating.
constexpr std::uint64_t kMaxBlocks = std::uint64_t(1) << 22;

std::string hex(std::uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
    return text;
}

// Exactly n bytes at offset, or false.
bool readExactly(int fd, std::uint8_t* to, std::size_t n, std::uint64_t offset)
{
    while (n > 0) {
        const std::int64_t got = ReadAt(fd, to, n, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        to += got;
        n -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

struct Decode {
    bool big;
    std::int64_t i64(const std::uint8_t* p) const
    {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        if (big)
            v = __builtin_bswap64(v);
        return static_cast<std::int64_t>(v);
    }
    std::int32_t i32(const std::uint8_t* p) const
    {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        if (big)
            v = __builtin_bswap32(v);
        return static_cast<std::int32_t>(v);
    }
};

class FileSource final : public DataSource {
public:
    FileSource(int fd, std::uint64_t begin, std::uint64_t end)
        : m_fd(fd), m_begin(begin), m_end(std::max(begin, end)), m_pos(begin)
    {
    }
    bool open() override { return seek(0); }
    bool seek(std::uint64_t offset) override
    {
        m_pos = offset > m_end - m_begin ? m_end : m_begin + offset;
        return true;
    }
    bool next(const std::uint8_t*& data, std::size_t& size) override
    {
        if (!m_buf)
            m_buf = std::make_unique<std::uint8_t[]>(kFileBuffer);
        size = 0;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kFileBuffer, m_end - m_pos));
        while (size < want) {
            const std::int64_t got = ReadAt(m_fd, m_buf.get() + size, want - size, m_pos + size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                m_error = "the file cannot be read at offset " + hex(m_pos + size) + ": " +
                          std::strerror(errno);
                return false;
            }
            if (got == 0)
                break; // the file shrank: its end is the data's end
            size += static_cast<std::size_t>(got);
        }
        data = m_buf.get();
        m_pos += size;
        return true;
    }
    std::uint64_t fileDone() const override { return m_pos - m_begin; }
    std::uint64_t fileTotal() const override { return m_end - m_begin; }

private:
    int m_fd;
    std::uint64_t m_begin, m_end, m_pos;
    std::unique_ptr<std::uint8_t[]> m_buf;
};

class ZlibSource final : public DataSource {
public:
    ZlibSource(int fd, std::uint64_t fileSize, std::shared_ptr<const ZTable> table)
        : m_fd(fd), m_fileSize(fileSize), m_table(std::move(table))
    {
    }
    ~ZlibSource() override
    {
        if (m_zInit)
            inflateEnd(&m_z);
    }
    bool open() override
    {
        m_in = std::make_unique<std::uint8_t[]>(kInflateInput);
        m_out = std::make_unique<std::uint8_t[]>(kInflateOutput);
        std::memset(&m_z, 0, sizeof m_z);
        if (inflateInit(&m_z) != Z_OK) {
            m_error = "zlib cannot be started";
            return false;
        }
        m_zInit = true;
        if (m_table->blocks.empty())
            m_found.push_back({0, m_table->firstBlock, 0});
        return startBlock(0, 0);
    }
    bool seek(std::uint64_t offset) override
    {
        if (m_block < blockCount() && offset >= m_plain && offset < blockEndPlain(m_block)) {
            m_skip = offset - m_plain; // ahead in this block: inflate on to it
            return true;
        }
        std::size_t b = 0;
        const std::size_t n = blockCount();
        // The last known block that starts at or before offset.
        std::size_t lo = 0, hi = n;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (block(mid).plainOffset <= offset)
                b = mid, lo = mid + 1;
            else
                hi = mid;
        }
        return startBlock(b, offset - block(b).plainOffset);
    }
    bool next(const std::uint8_t*& data, std::size_t& size) override
    {
        for (;;) {
            size = 0;
            if (m_done)
                return true;
            std::size_t produced = 0;
            if (!inflateSome(produced))
                return false;
            if (produced <= m_skip) {
                m_skip -= produced;
                m_plain += produced;
                continue;
            }
            data = m_out.get() + m_skip;
            size = produced - static_cast<std::size_t>(m_skip);
            m_plain += produced;
            m_skip = 0;
            return true;
        }
    }
    std::uint64_t fileDone() const override
    {
        return m_inPos - m_z.avail_in - std::min(m_inPos - m_z.avail_in, m_table->firstBlock);
    }
    std::uint64_t fileTotal() const override
    {
        return m_table->trailerOffset - std::min(m_table->trailerOffset, m_table->firstBlock);
    }

private:
    std::size_t blockCount() const
    {
        return m_table->blocks.empty() ? m_found.size() : m_table->blocks.size();
    }
    const ZBlock& block(std::size_t b) const
    {
        return m_table->blocks.empty() ? m_found[b] : m_table->blocks[b];
    }
    // The inflated offset where block b ends, as far as known.
    std::uint64_t blockEndPlain(std::size_t b) const
    {
        if (b + 1 < blockCount())
            return block(b + 1).plainOffset;
        return m_table->blocks.empty() ? UINT64_MAX : m_table->plainSize;
    }
    bool startBlock(std::size_t b, std::uint64_t skip)
    {
        m_block = b;
        m_done = false;
        m_plain = block(b).plainOffset;
        m_skip = skip;
        m_inPos = block(b).fileOffset;
        m_z.avail_in = 0;
        m_z.next_in = m_in.get();
        if (inflateReset(&m_z) != Z_OK) {
            m_error = "zlib cannot be restarted";
            return false;
        }
        return true;
    }
    std::string where() const { return "zlib block " + std::to_string(m_block + 1); }
    // Where the compressed bytes of the current block must end.
    std::uint64_t inputLimit() const
    {
        const std::uint64_t end = block(m_block).fileEnd;
        return end != 0 ? end : std::min(m_table->trailerOffset, m_fileSize);
    }
    bool inflateSome(std::size_t& produced)
    {
        m_z.next_out = m_out.get();
        m_z.avail_out = static_cast<uInt>(kInflateOutput);
        while (m_z.avail_out > 0) {
            if (m_z.avail_in == 0) {
                const std::uint64_t limit = inputLimit();
                const std::size_t want = static_cast<std::size_t>(
                    std::min<std::uint64_t>(kInflateInput, limit > m_inPos ? limit - m_inPos : 0));
                if (want == 0 || !readExactly(m_fd, m_in.get(), want, m_inPos)) {
                    m_error = m_inPos >= m_fileSize || want == 0
                                  ? "the file ends inside " + where()
                                  : "the file cannot be read at offset " + hex(m_inPos);
                    return false;
                }
                m_inPos += want;
                m_z.next_in = m_in.get();
                m_z.avail_in = static_cast<uInt>(want);
            }
            const int rc = inflate(&m_z, Z_NO_FLUSH);
            if (rc == Z_STREAM_END) {
                produced = kInflateOutput - m_z.avail_out;
                return endBlock(produced);
            }
            if (rc != Z_OK && rc != Z_BUF_ERROR) {
                m_error = where() + " is damaged (" + (m_z.msg ? m_z.msg : "inflate failed") + ")";
                return false;
            }
        }
        produced = kInflateOutput;
        if (m_plain + produced > blockEndPlain(m_block)) {
            m_error = where() + " inflates to more bytes than its index says";
            return false;
        }
        return true;
    }
    // The current block's stream is complete: check it and go on to the next one.
    bool endBlock(std::size_t produced)
    {
        const std::uint64_t plainEnd = m_plain + produced;
        const std::uint64_t fileEnd = m_inPos - m_z.avail_in;
        if (!m_table->blocks.empty()) {
            if (plainEnd != blockEndPlain(m_block) || fileEnd != block(m_block).fileEnd) {
                m_error = where() + " does not match its index (inflated size or length)";
                return false;
            }
        } else if (m_block + 1 == m_found.size()) {
            m_found.back().fileEnd = fileEnd;
            if (fileEnd < std::min(m_table->trailerOffset, m_fileSize))
                m_found.push_back({plainEnd, fileEnd, 0});
        }
        if (m_block + 1 >= blockCount()) {
            m_done = true;
            return true;
        }
        // The next block's bytes may already be in the input buffer.
        const uInt leftIn = m_z.avail_in;
        const Bytef* leftAt = m_z.next_in;
        ++m_block;
        if (inflateReset(&m_z) != Z_OK) {
            m_error = "zlib cannot be restarted";
            return false;
        }
        if (block(m_block).fileOffset == fileEnd) {
            m_z.avail_in = leftIn;
            m_z.next_in = const_cast<Bytef*>(leftAt);
        } else {
            m_z.avail_in = 0;
            m_inPos = block(m_block).fileOffset;
        }
        return true;
    }

    int m_fd;
    std::uint64_t m_fileSize;
    std::shared_ptr<const ZTable> m_table;
    std::vector<ZBlock> m_found; // blocks found by inflating, without a usable trailer
    z_stream m_z{};
    bool m_zInit = false;
    std::unique_ptr<std::uint8_t[]> m_in, m_out;
    std::size_t m_block = 0;
    std::uint64_t m_inPos = 0; // file offset after the bytes read into m_in
    std::uint64_t m_plain = 0; // inflated offset of the next byte inflated
    std::uint64_t m_skip = 0;  // inflated bytes to drop before delivering
    bool m_done = false;
};

// Checks the trailer's block list; the reason it cannot be used, or empty.
std::string readBlocks(int fd, std::uint64_t fileSize, std::uint64_t dataOffset,
                       std::int64_t trailerOffset, std::int64_t trailerLength, const Decode& d,
                       double bias, ZTable& table)
{
    if (trailerLength < 24 || (trailerLength - 24) % 24 != 0)
        return "its length " + std::to_string(trailerLength) + " is not 24 plus 24 per block";
    const std::uint64_t count = static_cast<std::uint64_t>(trailerLength - 24) / 24;
    if (static_cast<std::uint64_t>(trailerOffset) + static_cast<std::uint64_t>(trailerLength) >
        fileSize)
        return "the file ends before it does";
    if (count == 0 || count > kMaxBlocks ||
        count > (static_cast<std::uint64_t>(trailerOffset) - table.firstBlock) / 8)
        return "it lists an impossible number of blocks";
    std::uint8_t head[24];
    if (!readExactly(fd, head, 24, static_cast<std::uint64_t>(trailerOffset)))
        return "it cannot be read";
    const std::int32_t blockSize = d.i32(head + 16);
    if (static_cast<double>(-d.i64(head)) != bias || d.i64(head + 8) != 0 || blockSize <= 0 ||
        static_cast<std::uint64_t>(d.i32(head + 20)) != count)
        return "its header does not match the file";
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(count) * 24);
    if (!readExactly(fd, entries.data(), entries.size(), static_cast<std::uint64_t>(trailerOffset) + 24))
        return "it cannot be read";
    std::uint64_t plain = dataOffset, file = table.firstBlock;
    table.blocks.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* e = entries.data() + 24 * i;
        const std::int64_t plainOfs = d.i64(e), fileOfs = d.i64(e + 8);
        const std::int32_t plainSize = d.i32(e + 16), fileSize32 = d.i32(e + 20);
        const bool last = i + 1 == count;
        if (static_cast<std::uint64_t>(plainOfs) != plain || static_cast<std::uint64_t>(fileOfs) != file ||
            plainSize <= 0 || fileSize32 <= 0 || plainSize > blockSize ||
            (!last && plainSize != blockSize))
            return "its entry for block " + std::to_string(i + 1) + " is inconsistent";
        table.blocks.push_back({plain - dataOffset, file, file + static_cast<std::uint64_t>(fileSize32)});
        plain += static_cast<std::uint64_t>(plainSize);
        file += static_cast<std::uint64_t>(fileSize32);
    }
    if (file != static_cast<std::uint64_t>(trailerOffset))
        return "its blocks do not end where it starts";
    table.plainSize = plain - dataOffset;
    return {};
}

} // namespace

bool readZTable(int fd, std::uint64_t fileSize, std::uint64_t dataOffset, bool bigEndian,
                double bias, ZTable& table, std::string& message)
{
    std::uint8_t header[24];
    if (dataOffset + 24 > fileSize || !readExactly(fd, header, 24, dataOffset)) {
        message = "the file ends before its zlib header (offset " + hex(dataOffset) + ")";
        return false;
    }
    const Decode d{bigEndian};
    const std::int64_t headerOffset = d.i64(header), trailerOffset = d.i64(header + 8),
                       trailerLength = d.i64(header + 16);
    table.firstBlock = dataOffset + 24;
    table.blocks.clear();
    const bool placed = static_cast<std::uint64_t>(headerOffset) == dataOffset &&
                        trailerOffset >= static_cast<std::int64_t>(table.firstBlock) &&
                        trailerLength >= 0;
    table.trailerOffset = placed ? std::min<std::uint64_t>(static_cast<std::uint64_t>(trailerOffset), fileSize)
                                 : fileSize;
    const std::string problem =
        placed ? readBlocks(fd, fileSize, dataOffset, trailerOffset, trailerLength, d, bias, table)
               : "the zlib header does not point to it";
    if (!problem.empty()) {
        table.blocks.clear();
        table.plainSize = 0;
        table.problem = "the zlib block index is not used: " + problem;
    }
    return true;
}

std::unique_ptr<DataSource> makeFileSource(int fd, std::uint64_t begin, std::uint64_t end)
{
    return std::make_unique<FileSource>(fd, begin, end);
}

std::unique_ptr<DataSource> makeZlibSource(int fd, std::uint64_t fileSize,
                                           std::shared_ptr<const ZTable> table)
{
    return std::make_unique<ZlibSource>(fd, fileSize, std::move(table));
}

} // namespace qs::spssio
