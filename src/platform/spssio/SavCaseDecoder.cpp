// The case decoder; see SavCaseDecoder.h.
#include "platform/spssio/SavCaseDecoder.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

namespace qs::spssio {

namespace {

// Bytecodes of compressed data (the others, 1..251, are numbers plus the bias).
constexpr std::uint8_t kPadding = 0;
constexpr std::uint8_t kEndOfData = 252;
constexpr std::uint8_t kLiteral = 253;
constexpr std::uint8_t kBlanks = 254;
constexpr std::uint8_t kSysmis = 255;

void swap8(std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

} // namespace

CaseDecoder::CaseDecoder(const SavDictionary& dict, int fd, std::uint64_t fileSize,
                         std::shared_ptr<const ZTable> table)
    : m_dict(dict), m_fd(fd), m_fileSize(fileSize), m_table(std::move(table))
{
    const auto slots = static_cast<std::size_t>(dict.slotCount > 0 ? dict.slotCount : 0);
    m_recordBytes = slots * 8;
    m_numeric.assign(slots, 0);
    for (const SavVariable& v : dict.variables)
        if (v.width == 0 && v.slot >= 0 && static_cast<std::size_t>(v.slot) < slots)
            m_numeric[static_cast<std::size_t>(v.slot)] = 1;
    m_scratch.resize(m_recordBytes);
}

CaseDecoder::~CaseDecoder() = default;

bool CaseDecoder::open()
{
    if (m_dict.compression == 2) {
        if (!m_table) {
            m_error = "case 1: the zlib block index was not read";
            return false;
        }
        m_source = makeZlibSource(m_fd, m_fileSize, m_table);
    } else {
        m_source = makeFileSource(m_fd, m_dict.dataOffset, m_fileSize);
    }
    if (!m_source->open()) {
        m_error = "case 1: " + m_source->error();
        return false;
    }
    return true;
}

bool CaseDecoder::fill()
{
    if (m_sourceEnded)
        return false;
    std::size_t size = 0;
    const std::uint8_t* data = nullptr;
    if (!m_source->next(data, size) || size == 0) {
        m_sourceEnded = true;
        m_p = m_end = nullptr;
        return false;
    }
    m_p = data;
    m_end = data + size;
    return true;
}

std::size_t CaseDecoder::take(std::uint8_t* to, std::size_t n)
{
    std::size_t got = 0;
    while (got < n) {
        if (m_p == m_end && !fill())
            return got;
        const std::size_t part = std::min<std::size_t>(n - got, static_cast<std::size_t>(m_end - m_p));
        std::memcpy(to + got, m_p, part);
        m_p += part;
        m_offset += part;
        got += part;
    }
    return got;
}

bool CaseDecoder::nextCodes()
{
    if (m_end - m_p >= 8) {
        std::memcpy(m_codes, m_p, 8);
        m_p += 8;
        m_offset += 8;
    } else if (take(m_codes, 8) < 8) {
        return false;
    }
    m_used = 0;
    return true;
}

CaseStatus CaseDecoder::failAt(int slot, const std::string& what)
{
    m_error = "case " + std::to_string(m_case + 1) + ": " + what;
    for (const SavVariable& v : m_dict.variables)
        if (slot >= 0 && slot >= v.slot && slot < v.slot + v.slotCount) {
            m_error += " (variable " + v.name + ")";
            break;
        }
    return CaseStatus::Error;
}

// The data have run out at slot of the current case (inside it, or before its start).
CaseStatus CaseDecoder::endAt(int slot, bool inside)
{
    if (m_source && !m_source->error().empty())
        return failAt(slot, m_source->error());
    if (inside)
        return failAt(slot, "the data end inside the case");
    if (m_dict.caseCount >= 0)
        return failAt(-1, "the data end here, but the file declares " +
                              std::to_string(m_dict.caseCount) + " cases");
    return CaseStatus::End;
}

CaseStatus CaseDecoder::next(std::uint8_t* record)
{
    if (!m_error.empty())
        return CaseStatus::Error;
    if (m_recordBytes == 0 || (m_dict.caseCount >= 0 && m_case >= m_dict.caseCount))
        return CaseStatus::End;
    const CaseStatus status = isPlain() ? decodePlain(record) : decodeCompressed(record);
    if (status == CaseStatus::Ok)
        ++m_case;
    return status;
}

CaseStatus CaseDecoder::decodePlain(std::uint8_t* record)
{
    if (m_p == m_end && !fill())
        return endAt(0, false);
    if (const std::size_t got = take(record, m_recordBytes); got < m_recordBytes)
        return endAt(static_cast<int>(got / 8), true);
    if (m_dict.bigEndian)
        for (std::size_t s = 0; s < m_numeric.size(); ++s)
            if (m_numeric[s])
                swap8(record + 8 * s);
    return CaseStatus::Ok;
}

CaseStatus CaseDecoder::decodeCompressed(std::uint8_t* record)
{
    const int slots = static_cast<int>(m_numeric.size());
    const double bias = m_dict.bias;
    for (int s = 0; s < slots;) {
        if (m_used == 8 && !nextCodes())
            return endAt(s, s > 0);
        const std::uint8_t code = m_codes[m_used++];
        std::uint8_t* to = record + 8 * s;
        const bool numeric = m_numeric[static_cast<std::size_t>(s)] != 0;
        switch (code) {
        case kPadding: continue;
        case kEndOfData:
            m_used = 8;
            m_sourceEnded = true;
            return endAt(s, s > 0);
        case kLiteral:
            if (m_end - m_p >= 8) {
                std::memcpy(to, m_p, 8);
                m_p += 8;
                m_offset += 8;
            } else if (take(to, 8) < 8) {
                return endAt(s, true);
            }
            if (numeric && m_dict.bigEndian)
                swap8(to);
            break;
        case kBlanks:
            if (numeric)
                return failAt(s, "a numeric value is coded as blanks");
            std::memset(to, ' ', 8);
            break;
        case kSysmis:
            if (!numeric)
                return failAt(s, "a string value is coded as system-missing");
            {
                const double sysmis = -DBL_MAX;
                std::memcpy(to, &sysmis, 8);
            }
            break;
        default: {
            const double value = code - bias;
            if (numeric) {
                std::memcpy(to, &value, 8);
            } else if (value == 0) {
                std::memset(to, 0, 8); // zero bytes: written so by some programs
            } else {
                return failAt(s, "a string value is coded as a number (bytecode " +
                                     std::to_string(code) + ")");
            }
        }
        }
        ++s;
    }
    return CaseStatus::Ok;
}

CaseCheckpoint CaseDecoder::checkpoint() const
{
    CaseCheckpoint c;
    c.offset = m_offset;
    std::memcpy(c.codes, m_codes, 8);
    c.used = static_cast<std::uint8_t>(m_used);
    return c;
}

CaseCheckpoint CaseDecoder::plainCheckpoint(std::int64_t caseIndex) const
{
    CaseCheckpoint c;
    c.offset = static_cast<std::uint64_t>(caseIndex) * m_recordBytes;
    return c;
}

bool CaseDecoder::restore(const CaseCheckpoint& at, std::int64_t caseIndex)
{
    m_error.clear();
    m_sourceEnded = false;
    m_p = m_end = nullptr;
    m_offset = at.offset;
    std::memcpy(m_codes, at.codes, 8);
    m_used = at.used > 8 ? 8 : at.used;
    m_case = caseIndex;
    if (!m_source->seek(at.offset)) {
        m_error = "case " + std::to_string(caseIndex + 1) + ": " + m_source->error();
        return false;
    }
    return true;
}

double CaseDecoder::progress() const
{
    if (!m_source || m_source->fileTotal() == 0)
        return 1;
    const double done = static_cast<double>(m_source->fileDone()) / static_cast<double>(m_source->fileTotal());
    return done > 1 ? 1 : done;
}

} // namespace qs::spssio
