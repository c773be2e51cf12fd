// The C interface of spssio.h for cases: one current case per handle, read through the
// handle's CaseReader, which is made at the first case call.
#include "platform/spssio/spssio.h"

#include "platform/spssio/SavRecordValues.h"
#include "platform/spssio/spssioHandles.h"

#include <new>

using qs::spssio::CaseCursor;
using qs::spssio::OpenFile;

namespace {

// Runs f(file, cursor) under the cursor's lock, the reader made.
template <typename F> int withCases(int handle, F&& f)
{
    const auto file = qs::spssio::lookupHandle(handle);
    if (!file)
        return SPSS_INVALID_HANDLE;
    CaseCursor& c = file->cases;
    std::lock_guard lock(c.mutex);
    if (!c.reader) {
        try {
            std::string message;
            c.reader = qs::spssio::CaseReader::open(file->dict, file->path, message);
            if (!c.reader) {
                c.error = message;
                return SPSS_FILE_RERROR;
            }
        } catch (const std::bad_alloc&) {
            return SPSS_NO_MEMORY;
        }
    }
    return f(*file, c);
}

// The variable of a handle (its first slot plus 1), or -1.
int variableOf(const OpenFile& file, CaseCursor& c, double varHandle)
{
    if (c.variableOfSlot.empty()) {
        c.variableOfSlot.assign(static_cast<std::size_t>(file.dict.slotCount), -1);
        for (std::size_t i = 0; i < file.dict.variables.size(); ++i)
            c.variableOfSlot[static_cast<std::size_t>(file.dict.variables[i].slot)] = static_cast<int>(i);
    }
    if (!(varHandle >= 1 && varHandle <= static_cast<double>(c.variableOfSlot.size())))
        return -1;
    const auto slot = static_cast<std::size_t>(varHandle) - 1;
    return static_cast<double>(slot + 1) == varHandle ? c.variableOfSlot[slot] : -1;
}

int seek(int handle, long long caseNumber)
{
    return withCases(handle, [&](const OpenFile&, CaseCursor& c) {
        c.current.count = 0;
        const std::int64_t count = c.reader->caseCount();
        if (caseNumber < 0 || (count >= 0 && caseNumber >= count))
            return SPSS_INVALID_CASE;
        c.next = caseNumber;
        return SPSS_OK;
    });
}

} // namespace

extern "C" {

int spssReadCaseRecord(int handle)
{
    return withCases(handle, [&](const OpenFile&, CaseCursor& c) {
        c.error.clear();
        try {
            if (!c.reader->read(c.next, 1, c.current)) {
                c.current.count = 0;
                c.error = c.reader->error();
                return SPSS_FILE_RERROR;
            }
        } catch (const std::bad_alloc&) {
            c.current.count = 0;
            return SPSS_NO_MEMORY;
        }
        if (c.current.count == 0)
            return SPSS_FILE_END;
        ++c.next;
        return SPSS_OK;
    });
}

int spssSeekNextCase(int handle, long caseNumber) { return seek(handle, caseNumber); }
int spssSeekNextCase64(int handle, long long caseNumber) { return seek(handle, caseNumber); }

int spssGetValueNumeric(int handle, double varHandle, double* value)
{
    return withCases(handle, [&](const OpenFile& file, CaseCursor& c) {
        if (!value)
            return SPSS_INVALID_HANDLE;
        const int var = variableOf(file, c, varHandle);
        if (var < 0)
            return SPSS_INVALID_VARHANDLE;
        if (file.dict.variables[static_cast<std::size_t>(var)].width != 0)
            return SPSS_NUME_EXP;
        if (c.current.count == 0)
            return SPSS_INVALID_CASE;
        *value = qs::spssio::recordNumber(file.dict, c.current.record(0), var);
        return SPSS_OK;
    });
}

int spssGetValueChar(int handle, double varHandle, char* value, int valueSize)
{
    return withCases(handle, [&](const OpenFile& file, CaseCursor& c) {
        if (!value || valueSize < 1)
            return SPSS_INVALID_HANDLE;
        const int var = variableOf(file, c, varHandle);
        if (var < 0)
            return SPSS_INVALID_VARHANDLE;
        if (file.dict.variables[static_cast<std::size_t>(var)].width == 0)
            return SPSS_STR_EXP;
        if (c.current.count == 0)
            return SPSS_INVALID_CASE;
        if (!c.recode)
            c.recode = std::make_unique<qs::spssio::Recoder>(file.dict.encoding);
        std::string scratch;
        const std::string text =
            (*c.recode)(qs::spssio::recordBytesOf(file.dict, c.current.record(0), var, scratch));
        return qs::spssio::copyText(text, value, static_cast<std::size_t>(valueSize))
                   ? SPSS_BUFFER_SHORT
                   : SPSS_OK;
    });
}

int spssGetCaseError(int handle, char* message, int size)
{
    const auto file = qs::spssio::lookupHandle(handle);
    if (!file)
        return SPSS_INVALID_HANDLE;
    if (!message || size < 1)
        return SPSS_INVALID_HANDLE;
    std::lock_guard lock(file->cases.mutex);
    return qs::spssio::copyText(file->cases.error, message, static_cast<std::size_t>(size))
               ? SPSS_BUFFER_SHORT
               : SPSS_OK;
}

} // extern "C"
