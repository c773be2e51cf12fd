// Reads the records of a system file dictionary (header, types 2, 3+4, 6, 7,
// 999) into RawDictionary, checking every count and length against the bytes
// that are really there.
#include "platform/spssio/SavRaw.h"

#include "platform/FileDescriptor.h"
#include "platform/spssio/spssio.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "the decoder assumes a little-endian host");

namespace qs::spssio {

namespace {

constexpr std::uint64_t kHeaderSize = 176;

std::string trimRight(const std::uint8_t* p, std::size_t n)
{
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

int readHeader(SavInput& in, RawDictionary& raw)
{
    if (in.remaining() < 4)
        return SPSS_INVALID_FILE;
    const std::uint8_t* p = in.take(in.remaining() < kHeaderSize ? in.remaining() : kHeaderSize);
    if (!p)
        return in.error();
    if (std::memcmp(p, "$FL2", 4) != 0 && std::memcmp(p, "$FL3", 4) != 0)
        return SPSS_INVALID_FILE;
    if (in.position() < kHeaderSize)
        return SPSS_FILE_RERROR;
    const std::int32_t layout = in.decode32(p + 64);
    if (layout != 2 && layout != 3) {
        in.setBigEndian(true);
        const std::int32_t swapped = in.decode32(p + 64);
        if (swapped != 2 && swapped != 3)
            return SPSS_INVALID_FILE;
        raw.bigEndian = true;
    }
    const std::int32_t compression = in.decode32(p + 72);
    if (p[3] == '3')
        raw.compression = 2; // the magic decides, whatever the field or the file name say
    else if (compression == 0 || compression == 1)
        raw.compression = compression;
    else
        return SPSS_INVALID_FILE;
    raw.weightSlot = in.decode32(p + 76);
    raw.headerCases = in.decode32(p + 80);
    raw.headerSlots = in.decode32(p + 68);
    raw.bias = in.decode64(p + 84);
    raw.product = trimRight(p + 4, 60);
    raw.date = trimRight(p + 92, 9);
    raw.time = trimRight(p + 101, 8);
    raw.fileLabel = trimRight(p + 109, 64);
    return SPSS_OK;
}

int readVariable(SavInput& in, RawDictionary& raw)
{
    const std::uint8_t* p = in.take(28);
    if (!p)
        return in.error();
    const std::int32_t type = in.decode32(p);
    const std::int32_t hasLabel = in.decode32(p + 4);
    const std::int32_t nMissing = in.decode32(p + 8);
    if (type < -1 || type > 255 || (hasLabel != 0 && hasLabel != 1))
        return SPSS_INVALID_FILE;
    if (nMissing < -3 || nMissing > 3 || nMissing == -1)
        return SPSS_INVALID_FILE;
    RawVariable v;
    v.width = type;
    v.printFormat = in.decode32(p + 12);
    v.writeFormat = in.decode32(p + 16);
    v.name = trimRight(p + 20, 8);
    if (hasLabel) {
        std::int32_t len = 0;
        if (!in.int32(len))
            return in.error();
        if (len < 0)
            return SPSS_INVALID_FILE;
        const std::uint64_t padded = (static_cast<std::uint64_t>(len) + 3) / 4 * 4;
        const std::uint8_t* text = in.take(padded);
        if (!text)
            return in.error();
        v.hasLabel = true;
        v.label = raw.texts.Copy(
            {reinterpret_cast<const char*>(text), static_cast<std::size_t>(len)});
    }
    const int count = nMissing < 0 ? -nMissing : nMissing;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* value = in.take(8);
        if (!value)
            return in.error();
        std::memcpy(v.missing[std::size_t(i)].data(), value, 8);
    }
    v.missingFormat = nMissing;
    if (type == -1) {
        if (raw.variables.empty() || raw.variables.back().width == 0)
            return SPSS_INVALID_FILE;
        ++raw.variables.back().slotCount;
    } else {
        v.slot = raw.slotCount;
        if (raw.variables.empty() && raw.headerSlots > 0)
            // The header's claim, as far as the bytes left can hold type-2 records and
            // within reason; a larger dictionary grows as it is read.
            raw.variables.reserve(std::min<std::uint64_t>(
                {std::uint64_t(raw.headerSlots), in.remaining() / 32 + 1, 1u << 20}));
        raw.variables.push_back(std::move(v));
    }
    ++raw.slotCount;
    return SPSS_OK;
}

int readValueLabels(SavInput& in, RawDictionary& raw)
{
    std::int32_t count = 0;
    if (!in.int32(count))
        return in.error();
    // Each label takes at least 16 bytes: a count beyond that cannot be there.
    if (count < 0 || static_cast<std::uint64_t>(count) > in.remaining() / 16)
        return count < 0 ? SPSS_INVALID_FILE : SPSS_FILE_RERROR;
    RawLabelSet set;
    set.firstLabel = raw.labels.size();
    set.labelCount = static_cast<std::size_t>(count);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = in.take(9);
        if (!p)
            return in.error();
        RawLabel label;
        std::memcpy(label.value.data(), p, 8);
        const std::uint64_t len = p[8];
        const std::uint64_t padded = (len + 1 + 7) / 8 * 8 - 1;
        const std::uint8_t* text = in.take(padded);
        if (!text)
            return in.error();
        label.label = raw.texts.Copy({reinterpret_cast<const char*>(text), len});
        raw.labels.push_back(label);
    }
    std::int32_t recType = 0, nVars = 0;
    if (!in.int32(recType))
        return in.error();
    if (recType != 4)
        return SPSS_INVALID_FILE;
    if (!in.int32(nVars))
        return in.error();
    if (nVars < 0 || static_cast<std::uint64_t>(nVars) > in.remaining() / 4)
        return nVars < 0 ? SPSS_INVALID_FILE : SPSS_FILE_RERROR;
    const std::uint8_t* p = in.take(static_cast<std::uint64_t>(nVars) * 4);
    if (!p && nVars > 0)
        return in.error();
    set.firstSlot = raw.labelSlots.size();
    set.slotCount = static_cast<std::size_t>(nVars);
    for (std::int32_t i = 0; i < nVars; ++i)
        raw.labelSlots.push_back(in.decode32(p + 4 * i));
    raw.labelSets.push_back(set);
    return SPSS_OK;
}

int readDocuments(SavInput& in, RawDictionary& raw)
{
    std::int32_t lines = 0;
    if (!in.int32(lines))
        return in.error();
    if (lines < 0 || static_cast<std::uint64_t>(lines) > in.remaining() / 80)
        return lines < 0 ? SPSS_INVALID_FILE : SPSS_FILE_RERROR;
    const std::uint8_t* p = in.take(static_cast<std::uint64_t>(lines) * 80);
    if (!p && lines > 0)
        return in.error();
    for (std::int32_t i = 0; i < lines; ++i)
        raw.documents.push_back(trimRight(p + 80 * i, 80));
    return SPSS_OK;
}

int readExtension(SavInput& in, RawDictionary& raw)
{
    const std::uint8_t* p = in.take(12);
    if (!p)
        return in.error();
    const std::int32_t subtype = in.decode32(p);
    const std::int32_t size = in.decode32(p + 4);
    const std::int32_t count = in.decode32(p + 8);
    if (size < 0 || count < 0)
        return SPSS_INVALID_FILE;
    const std::uint64_t total = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(count);
    const std::uint8_t* data = in.take(total);
    if (!data && total > 0)
        return in.error();
    keepExtension(subtype, size, count, data, in, raw);
    return SPSS_OK;
}

} // namespace

int readRawDictionary(SavInput& in, RawDictionary& raw)
{
    if (int rc = readHeader(in, raw); rc != SPSS_OK)
        return rc;
    for (;;) {
        if (in.atEnd())
            return raw.variables.empty() ? SPSS_NO_TYPE2 : SPSS_NO_TYPE999;
        std::int32_t recType = 0;
        if (!in.int32(recType))
            return in.error();
        int rc = SPSS_OK;
        switch (recType) {
        case 2: rc = readVariable(in, raw); break;
        case 3: rc = readValueLabels(in, raw); break;
        case 6: rc = readDocuments(in, raw); break;
        case 7: rc = readExtension(in, raw); break;
        case 999:
            if (!in.skip(4))
                return in.error();
            return raw.variables.empty() ? SPSS_NO_TYPE2 : SPSS_OK;
        default: return SPSS_INVALID_FILE;
        }
        if (rc != SPSS_OK)
            return rc;
    }
}

int readSavBytes(const std::uint8_t* data, std::size_t size, SavDictionary& out)
{
    try {
        SavInput in(data, size);
        RawDictionary raw;
        if (int rc = readRawDictionary(in, raw); rc != SPSS_OK)
            return rc;
        return buildDictionary(raw, in, out);
    } catch (const std::bad_alloc&) {
        return SPSS_NO_MEMORY;
    } catch (const std::length_error&) {
        return SPSS_NO_MEMORY;
    }
}

int readSavFile(const char* path, SavDictionary& out)
{
    if (!path)
        return SPSS_FILE_OERROR;
    const int fd = OpenForReading(path);
    if (fd < 0)
        return SPSS_FILE_OERROR;
    const std::int64_t fileSize = RegularFileSize(fd);
    if (fileSize < 0) {
        CloseFile(fd);
        return SPSS_FILE_OERROR;
    }
    const auto size = static_cast<std::uint64_t>(fileSize);
    int rc;
    try {
        SavInput in(fd, size);
        RawDictionary raw;
        rc = readRawDictionary(in, raw);
        if (rc == SPSS_OK)
            rc = buildDictionary(raw, in, out);
    } catch (const std::bad_alloc&) {
        rc = SPSS_NO_MEMORY;
    } catch (const std::length_error&) {
        rc = SPSS_NO_MEMORY;
    }
    CloseFile(fd);
    return rc;
}

} // namespace qs::spssio
