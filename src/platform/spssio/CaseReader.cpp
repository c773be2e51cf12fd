// The case reader with its background index; see CaseReader.h.
#include "platform/spssio/CaseReader.h"

#include "platform/FileDescriptor.h"
#include "platform/spssio/SavCaseDecoder.h"
#include "platform/spssio/SavDataSource.h"
#include "platform/spssio/spssio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qs::spssio {

namespace {

// Decoded bytes between two checkpoints: a jump decodes at most this much.
constexpr std::size_t kStepBytes = 512 * 1024;
// How often the builder publishes its progress and looks for a cancel.
constexpr std::int64_t kProgressEvery = 4096;

} // namespace

CaseReader::CaseReader(const SavDictionary& dict, std::unique_ptr<SavDictionary> own,
                       std::string path, std::int64_t indexStep)
    : m_dict(&dict), m_ownDict(std::move(own)), m_path(std::move(path))
{
    m_step = indexStep > 0 ? indexStep
                           : static_cast<std::int64_t>(std::max<std::size_t>(
                                 1, kStepBytes / std::max<std::size_t>(8, recordBytes())));
}

CaseReader::~CaseReader()
{
    cancelIndexing();
    m_decoder.reset();
    if (m_fd >= 0)
        CloseFile(m_fd);
}

std::unique_ptr<CaseReader> CaseReader::open(const std::string& path, std::string& message,
                                             std::int64_t indexStep)
{
    auto dict = std::make_unique<SavDictionary>();
    if (const int rc = readSavFile(path.c_str(), *dict); rc != SPSS_OK) {
        message = "the dictionary cannot be read (error " + std::to_string(rc) + ")";
        return nullptr;
    }
    const SavDictionary& ref = *dict;
    std::unique_ptr<CaseReader> reader(new CaseReader(ref, std::move(dict), path, indexStep));
    if (!reader->prepare(message))
        return nullptr;
    return reader;
}

std::unique_ptr<CaseReader> CaseReader::open(const SavDictionary& dict, const std::string& path,
                                             std::string& message, std::int64_t indexStep)
{
    std::unique_ptr<CaseReader> reader(new CaseReader(dict, nullptr, path, indexStep));
    if (!reader->prepare(message))
        return nullptr;
    return reader;
}

bool CaseReader::prepare(std::string& message)
{
    m_fd = OpenForReading(m_path.c_str());
    const std::int64_t size = m_fd >= 0 ? RegularFileSize(m_fd) : -1;
    if (size < 0) {
        message = "the file cannot be opened: " + std::string(std::strerror(errno));
        return false;
    }
    m_fileSize = static_cast<std::uint64_t>(size);
    if (m_dict->compression == 2) {
        auto table = std::make_shared<ZTable>();
        if (!readZTable(m_fd, m_fileSize, m_dict->dataOffset, m_dict->bigEndian, m_dict->bias,
                        *table, message)) {
            message = "case 1: " + message;
            return false;
        }
        m_table = std::move(table);
    }
    m_decoder = makeDecoder(m_fd);
    if (!m_decoder->open()) {
        message = m_decoder->error();
        return false;
    }
    m_points.push_back(m_decoder->checkpoint());
    return true;
}

std::unique_ptr<CaseDecoder> CaseReader::makeDecoder(int fd) const
{
    return std::make_unique<CaseDecoder>(*m_dict, fd, m_fileSize, m_table);
}

std::int64_t CaseReader::caseCount() const
{
    return m_dict->caseCount >= 0 ? m_dict->caseCount : m_counted.load();
}

std::string CaseReader::error() const
{
    std::lock_guard lock(m_readMutex);
    return m_error;
}

void CaseReader::note(const CaseDecoder& decoder)
{
    const std::int64_t at = decoder.caseIndex();
    if (at % m_step != 0)
        return;
    std::lock_guard lock(m_indexMutex);
    if (static_cast<std::size_t>(at / m_step) == m_points.size())
        m_points.push_back(decoder.checkpoint());
}

bool CaseReader::seekTo(std::int64_t target)
{
    CaseDecoder& d = *m_decoder;
    if (d.isPlain()) {
        if ((d.caseIndex() != target || !d.error().empty()) &&
            !d.restore(d.plainCheckpoint(target), target)) {
            m_error = d.error();
            return false;
        }
        return true;
    }
    CaseCheckpoint from;
    std::int64_t fromCase;
    {
        std::lock_guard lock(m_indexMutex);
        const std::size_t k = std::min(static_cast<std::size_t>(target / m_step), m_points.size() - 1);
        from = m_points[k];
        fromCase = static_cast<std::int64_t>(k) * m_step;
    }
    // Going on from where the decoder stands is cheaper when it is between the two.
    const bool onward = d.error().empty() && d.caseIndex() <= target && d.caseIndex() >= fromCase;
    if (!onward && !d.restore(from, fromCase)) {
        m_error = d.error();
        return false;
    }
    while (d.caseIndex() < target) {
        note(d);
        const CaseStatus status = d.skip();
        if (status == CaseStatus::Error) {
            m_error = d.error();
            return false;
        }
        if (status == CaseStatus::End)
            return true; // read() finds nothing there
    }
    return true;
}

bool CaseReader::read(std::int64_t first, std::int64_t count, CaseBlock& block)
{
    std::lock_guard lock(m_readMutex);
    m_error.clear();
    block.first = first;
    block.count = 0;
    block.recordBytes = recordBytes();
    if (first < 0) {
        m_error = "case " + std::to_string(first + 1) + " does not exist";
        return false;
    }
    const std::int64_t known = caseCount();
    if (known >= 0)
        count = std::min(count, std::max<std::int64_t>(0, known - first));
    if (count <= 0 || block.recordBytes == 0)
        return true;
    if (!seekTo(first))
        return false;
    block.data.resize(static_cast<std::size_t>(count) * block.recordBytes);
    for (std::int64_t i = 0; i < count; ++i) {
        if (m_decoder->caseIndex() != first + i)
            break; // the data ended before first
        if (!m_decoder->isPlain())
            note(*m_decoder);
        const CaseStatus status = m_decoder->next(block.data.data() + static_cast<std::size_t>(i) * block.recordBytes);
        if (status == CaseStatus::End)
            break;
        if (status == CaseStatus::Error) {
            m_error = m_decoder->error();
            return false;
        }
        ++block.count;
    }
    return true;
}

void CaseReader::startIndexing()
{
    std::lock_guard lock(m_indexMutex);
    if (m_builder.joinable() || m_progress.finished)
        return;
    m_cancel = false;
    m_builder = std::thread([this] { build(); });
}

void CaseReader::cancelIndexing()
{
    m_cancel = true;
    waitForIndex();
}

void CaseReader::waitForIndex()
{
    std::thread builder;
    {
        std::lock_guard lock(m_indexMutex);
        builder = std::move(m_builder);
    }
    if (builder.joinable())
        builder.join();
}

IndexProgress CaseReader::indexProgress() const
{
    std::lock_guard lock(m_indexMutex);
    return m_progress;
}

void CaseReader::buildPlain()
{
    const std::uint64_t data = m_fileSize > m_dict->dataOffset ? m_fileSize - m_dict->dataOffset : 0;
    const auto whole = static_cast<std::int64_t>(recordBytes() ? data / recordBytes() : 0);
    const std::int64_t declared = m_dict->caseCount;
    std::string failure;
    if (recordBytes() > 0 && (declared < 0 || declared > whole)) {
        // The case after the last whole one says whether the data end cleanly.
        const int fd = OpenForReading(m_path.c_str());
        const std::unique_ptr<CaseDecoder> d = makeDecoder(fd);
        std::vector<std::uint8_t> record(recordBytes());
        if (fd >= 0 && d->open() && d->restore(d->plainCheckpoint(whole), whole))
            d->next(record.data());
        failure = fd < 0 ? "the file cannot be opened again" : d->error();
        if (fd >= 0)
            CloseFile(fd);
    }
    std::lock_guard lock(m_indexMutex);
    m_progress.fraction = 1;
    m_progress.finished = true;
    m_progress.cases = declared >= 0 ? std::min(declared, whole) : whole;
    m_progress.error = failure;
    if (declared < 0)
        m_counted = whole;
}

void CaseReader::build()
{
    if (recordBytes() == 0 || m_dict->compression == 0) {
        buildPlain();
        return;
    }
    const int fd = OpenForReading(m_path.c_str());
    std::unique_ptr<CaseDecoder> d = makeDecoder(fd);
    std::string failure;
    bool ok = fd >= 0 && d->open();
    if (ok) {
        CaseCheckpoint from;
        std::int64_t fromCase;
        {
            std::lock_guard lock(m_indexMutex);
            from = m_points.back();
            fromCase = static_cast<std::int64_t>(m_points.size() - 1) * m_step;
        }
        ok = d->restore(from, fromCase);
    }
    if (!ok)
        failure = fd < 0 ? "the file cannot be opened again" : d->error();
    bool cancelled = false;
    while (ok) {
        if (d->caseIndex() % kProgressEvery == 0) {
            if (m_cancel) {
                cancelled = true;
                break;
            }
            std::lock_guard lock(m_indexMutex);
            m_progress.cases = d->caseIndex();
            m_progress.fraction = d->progress();
        }
        note(*d);
        const CaseStatus status = d->skip();
        if (status == CaseStatus::End)
            break;
        if (status == CaseStatus::Error) {
            failure = d->error();
            break;
        }
    }
    {
        std::lock_guard lock(m_indexMutex);
        m_progress.cases = d->caseIndex();
        m_progress.cancelled = cancelled;
        m_progress.finished = !cancelled;
        m_progress.error = failure;
        if (!cancelled) {
            m_progress.fraction = 1;
            if (failure.empty() && m_dict->caseCount < 0)
                m_counted = d->caseIndex();
        }
    }
    d.reset();
    if (fd >= 0)
        CloseFile(fd);
}

} // namespace qs::spssio
