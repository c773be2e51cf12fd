// The C interface of spssio.h over SavDictionary: the table of open files,
// opening and closing, and the file-level information. Variables and sets are
// in spssioVariables.cpp.
#include "platform/spssio/spssio.h"
#include "platform/FileDescriptor.h"

#include "platform/spssio/SavText.h"
#include "platform/spssio/spssioHandles.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace qs::spssio {

namespace {

constexpr int kMaxOpenFiles = 256;

std::mutex g_mutex;
std::vector<std::shared_ptr<OpenFile>> g_files(kMaxOpenFiles);

} // namespace

std::shared_ptr<OpenFile> lookupHandle(int handle)
{
    std::lock_guard lock(g_mutex);
    if (handle < 1 || handle > kMaxOpenFiles)
        return nullptr;
    return g_files[static_cast<std::size_t>(handle - 1)];
}

bool copyText(std::string_view text, char* buffer, std::size_t size)
{
    const std::size_t n = qs::spssio::utf8Prefix(text, size - 1);
    if (n > 0) { // an empty view may hold no pointer, which memcpy must not get
        std::memcpy(buffer, text.data(), n);
    }
    buffer[n] = '\0';
    return n < text.size();
}

char* newText(const std::string& text)
{
    char* p = static_cast<char*>(std::malloc(text.size() + 1));
    if (p) {
        if (!text.empty()) {
            std::memcpy(p, text.data(), text.size());
        }
        p[text.size()] = '\0';
    }
    return p;
}


namespace {

int openFile(const char* fileName, int* handle, bool append)
{
    if (!handle)
        return SPSS_INVALID_HANDLE;
    if (!fileName)
        return SPSS_FILE_OERROR;
    if (append && !qs::IsWritable(fileName))
        return SPSS_FILE_OERROR;
    std::shared_ptr<OpenFile> file;
    try {
        file = std::make_shared<OpenFile>();
    } catch (const std::bad_alloc&) {
        return SPSS_NO_MEMORY;
    }
    file->append = append;
    file->path = fileName;
    if (int rc = qs::spssio::readSavFile(fileName, file->dict); rc != SPSS_OK)
        return rc;
    std::lock_guard lock(g_mutex);
    for (std::size_t i = 0; i < g_files.size(); ++i) {
        if (!g_files[i]) {
            g_files[i] = std::move(file);
            *handle = static_cast<int>(i) + 1;
            return SPSS_OK;
        }
    }
    return SPSS_FITAB_FULL;
}

int closeFile(int handle, bool append)
{
    std::lock_guard lock(g_mutex);
    if (handle < 1 || handle > kMaxOpenFiles || !g_files[static_cast<std::size_t>(handle - 1)])
        return SPSS_INVALID_HANDLE;
    auto& slot = g_files[static_cast<std::size_t>(handle - 1)];
    if (slot->append != append)
        return append ? SPSS_OPEN_RDMODE : SPSS_OPEN_WRMODE;
    slot.reset();
    return SPSS_OK;
}

} // namespace

} // namespace qs::spssio

using qs::spssio::SavDictionary;
using qs::spssio::copyText;
using qs::spssio::withFile;

extern "C" {

double spssSysmisVal(void) { return -DBL_MAX; }

int spssLowHighVal(double* lowest, double* highest)
{
    if (!lowest || !highest)
        return SPSS_INVALID_HANDLE;
    *lowest = std::nextafter(-DBL_MAX, 0.0);
    *highest = DBL_MAX;
    return SPSS_OK;
}

int spssGetInterfaceEncoding(void) { return SPSS_ENCODING_UTF8; }

int spssOpenRead(const char* fileName, int* handle) { return qs::spssio::openFile(fileName, handle, false); }
int spssOpenAppend(const char* fileName, int* handle) { return qs::spssio::openFile(fileName, handle, true); }
int spssCloseRead(int handle) { return qs::spssio::closeFile(handle, false); }
int spssCloseAppend(int handle) { return qs::spssio::closeFile(handle, true); }

int spssCloseWrite(int handle)
{
    const auto file = qs::spssio::lookupHandle(handle);
    if (!file)
        return SPSS_INVALID_HANDLE;
    return SPSS_OPEN_RDMODE;
}

int spssGetCompression(int handle, int* compSwitch)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!compSwitch)
            return SPSS_INVALID_HANDLE;
        *compSwitch = d.compression;
        return SPSS_OK;
    });
}

int spssGetNumberofVariables(int handle, int* numVars)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!numVars)
            return SPSS_INVALID_HANDLE;
        *numVars = static_cast<int>(d.variables.size());
        return SPSS_OK;
    });
}

int spssGetNumberofCases(int handle, long* numofCases)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!numofCases)
            return SPSS_INVALID_HANDLE;
        *numofCases = static_cast<long>(d.caseCount);
        return SPSS_OK;
    });
}

int spssGetCaseSize(int handle, long* caseSize)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!caseSize)
            return SPSS_INVALID_HANDLE;
        *caseSize = static_cast<long>(d.slotCount) * 8;
        return SPSS_OK;
    });
}

int spssGetCaseWeightVar(int handle, char* varName)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!varName)
            return SPSS_INVALID_HANDLE;
        if (d.weightVariable < 0) {
            varName[0] = '\0';
            return SPSS_NO_CASEWGT;
        }
        copyText(d.variables[static_cast<std::size_t>(d.weightVariable)].name, varName,
                 SPSS_NAME_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetSystemString(int handle, char* sysName)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!sysName)
            return SPSS_INVALID_HANDLE;
        copyText(d.systemString, sysName, SPSS_SYSSTRING_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetReleaseInfo(int handle, int relInfo[8])
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!relInfo)
            return SPSS_INVALID_HANDLE;
        for (int i = 0; i < 8; ++i)
            relInfo[i] = d.releaseInfo[i];
        if (!d.hasMachineInfo) {
            // Files without the machine record still tell these from their header.
            relInfo[4] = 1;
            relInfo[5] = d.compression;
            relInfo[6] = d.bigEndian ? 1 : 2;
        }
        return SPSS_OK;
    });
}

int spssGetTimeStamp(int handle, char* fileDate, char* fileTime)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!fileDate || !fileTime)
            return SPSS_INVALID_HANDLE;
        copyText(d.date, fileDate, SPSS_DATE_BUFFER_SIZE);
        copyText(d.time, fileTime, SPSS_TIME_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetIdString(int handle, char* id)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!id)
            return SPSS_INVALID_HANDLE;
        copyText(d.fileLabel, id, SPSS_IDSTRING_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetTextInfo(int handle, char* textInfo)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!textInfo)
            return SPSS_INVALID_HANDLE;
        copyText(std::string_view(d.textInfo).substr(0, d.textInfoCut), textInfo,
                 SPSS_TEXTINFO_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetFileEncoding(int handle, char* encoding)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!encoding)
            return SPSS_INVALID_HANDLE;
        copyText(d.encoding, encoding, SPSS_ENCODING_BUFFER_SIZE);
        return SPSS_OK;
    });
}

int spssGetValueLabelBudget(int handle, long* budgetBytes, long* droppedLabels)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!budgetBytes || !droppedLabels)
            return SPSS_INVALID_HANDLE;
        constexpr auto most = static_cast<std::uint64_t>(LONG_MAX);
        *budgetBytes = static_cast<long>(std::min(d.valueLabelBudget, most));
        *droppedLabels = static_cast<long>(std::min(d.droppedValueLabels, most));
        return SPSS_OK;
    });
}

int spssGetFileCodePage(int handle, int* codePage)
{
    return withFile(handle, [&](const SavDictionary& d) {
        if (!codePage)
            return SPSS_INVALID_HANDLE;
        *codePage = d.codePage;
        return SPSS_OK;
    });
}

} // extern "C"
