// TSPSSDatafile: construction, the Filename and WriteDirect setters, Open, Close, the
// error mapping of the I/O library's result codes and the notice of labels left out.
#include "datafile/SPSSResourcestrings.h"
#include "datafile/TSPSSVL.h"
#include "platform/FilePath.h"
#include "platform/spssio/spssio.h"

#include <filesystem>
#include <iostream>
#include <new>
#include <vector>

namespace qs {

namespace {

// Header texts come through buffers the library fills; the sizes cover both the
// library's documented lengths and our reader's wider UTF-8 texts.
constexpr std::size_t BufferSize(std::size_t ours, std::size_t library) {
    return ours > library ? ours : library;
}

std::string FromBuffer(const std::vector<char>& buffer) {
    return std::string(buffer.data()); // buffers are zero-filled, so always terminated
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path file = PathFromUtf8(path);
    return std::filesystem::exists(file, ec) && !std::filesystem::is_directory(file, ec);
}

} // namespace

TSPSSFileInfo::TSPSSFileInfo(TSPSSDatafile* datafile) : Datafile(datafile) {
    spssLowHighVal(&LowestValue, &HighestValue);
}

TSPSSDatafile::TSPSSDatafile()
    : m_variables(std::make_unique<TSPSSVariables>(this)),
      m_mrSets(std::make_unique<TSPSSMRMDSets>(this)),
      m_variableSets(std::make_unique<TSPSSVariableSets>(this)),
      m_cases(std::make_unique<TSPSSCases>(this)),
      m_fileInfo(std::make_unique<TSPSSFileInfo>(this)),
      m_caseTable(std::make_unique<TSPSSHashTable>(1)) {
    SysmisValue = spssSysmisVal();
}

TSPSSDatafile::~TSPSSDatafile() {
    m_mrSets.reset();
    m_variableSets.reset();
    m_variables.reset();
    m_cases.reset();
    m_caseTable.reset();
    m_fileInfo.reset();
}

void TSPSSDatafile::CheckSPSSError(int code) {
    if (code <= 0) {
        return; // success and the library's warnings
    }
    if (const char* message = SPSSErrorMessage(code)) {
        throw ESPSSDataFileException(message, code);
    }
}

void TSPSSDatafile::SetFilename(const std::string& path) {
    if (!path.empty()) {
        // A bare file name lies in the current folder, which exists.
        std::filesystem::path folder = PathFromUtf8(path).parent_path();
        std::error_code ec;
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
            throw ESPSSDataFileException(FormatMessage(SFileDoesNotExist, path));
        }
    }
    m_filename = path;
}

void TSPSSDatafile::SetWriteDirect(bool value) {
    if (OpenMode != omClosed) {
        throw ESPSSDataFileException(SWriteDirectWhileOpen);
    }
    m_writeDirect = value;
}

void TSPSSDatafile::Open() {
    if (!FileExists(m_filename)) {
        throw ESPSSDataFileException(FormatMessage(SFileDoesNotExist, m_filename));
    }
    int handle = -1;
    if (m_writeDirect) {
        CheckSPSSError(spssOpenAppend(m_filename.c_str(), &handle));
        OpenMode = omAppend;
        WriteHandle = handle;
        ReadHandle = handle;
        ReadDictionary();
    } else {
        if (OpenMode != omClosed) {
            throw ESPSSDataFileException(SFileAlreadyOpen);
        }
        OpenMode = omRead;
        CheckSPSSError(spssOpenRead(m_filename.c_str(), &handle));
        ReadHandle = handle;
        ReadDictionary();
        try {
            m_caseTable->SetRowCount(m_cases->NumberOfCases);
        } catch (const std::bad_alloc&) {
            CheckSPSSError(SPSS_NO_MEMORY);
        }
        m_caseTable->NumberRows(1);
    }
    AllocateCaseBuffer();
    ReadHeader();
    if (const std::string notice = ValueLabelNotice(*this); !notice.empty()) {
        // The editor's tree shows the variables all the same; the user learns here why
        // some have no labels.
        std::cerr << m_filename << ": " << notice << '\n';
    }
}

void TSPSSDatafile::AllocateCaseBuffer() {
    long size = 0;
    CheckSPSSError(spssGetCaseSize(ReadHandle, &size));
    CaseSize = size > 0 && size <= INT32_MAX ? static_cast<std::int32_t>(size) : 0;
    try {
        m_cases->CaseBuffer = std::make_unique<std::byte[]>(std::size_t(CaseSize));
    } catch (const std::bad_alloc&) {
        CheckSPSSError(SPSS_NO_MEMORY);
    }
}

void TSPSSDatafile::ReadHeader() {
    std::vector<char> system(BufferSize(45, SPSS_SYSSTRING_BUFFER_SIZE));
    CheckSPSSError(spssGetSystemString(ReadHandle, system.data()));
    m_fileInfo->SystemString = FromBuffer(system);

    int release[8] = {};
    CheckSPSSError(spssGetReleaseInfo(ReadHandle, release));
    std::copy(std::begin(release), std::end(release), m_fileInfo->ReleaseInfo.begin());

    std::vector<char> date(BufferSize(10, SPSS_DATE_BUFFER_SIZE));
    std::vector<char> time(BufferSize(10, SPSS_TIME_BUFFER_SIZE));
    CheckSPSSError(spssGetTimeStamp(ReadHandle, date.data(), time.data()));
    m_fileInfo->TimeStamp = ParseTimeStamp(FromBuffer(date), FromBuffer(time));

    std::vector<char> id(BufferSize(65, SPSS_IDSTRING_BUFFER_SIZE));
    CheckSPSSError(spssGetIdString(ReadHandle, id.data()));
    m_fileInfo->IdString = FromBuffer(id);

    std::vector<char> text(BufferSize(256, SPSS_TEXTINFO_BUFFER_SIZE));
    CheckSPSSError(spssGetTextInfo(ReadHandle, text.data()));
    m_fileInfo->TextInfo = FromBuffer(text);

    long budget = 0;
    long dropped = 0;
    CheckSPSSError(spssGetValueLabelBudget(ReadHandle, &budget, &dropped));
    m_fileInfo->ValueLabelBudget = budget;
    m_fileInfo->DroppedValueLabels = dropped;
}

void TSPSSDatafile::Close() {
    // Nothing is open in the library after an open that failed before its handle came.
    int code = SPSS_OK;
    switch (OpenMode) {
    case omRead:
        code = ReadHandle != -1 ? spssCloseRead(ReadHandle) : SPSS_OK;
        break;
    case omAppend:
        code = WriteHandle != -1 ? spssCloseAppend(WriteHandle) : SPSS_OK;
        break;
    case omWrite:
        code = WriteHandle != -1 ? spssCloseWrite(WriteHandle) : SPSS_OK;
        break;
    case omClosed:
        break;
    }
    OpenMode = omClosed;
    ResetModel();
    CheckSPSSError(code);
}

std::string ValueLabelNotice(const TSPSSDatafile& file) {
    const TSPSSFileInfo& info = file.FileInfo();
    if (info.DroppedValueLabels <= 0) {
        return {};
    }
    return FormatMessage(
        FormatMessage(SValueLabelsDropped, std::to_string(info.DroppedValueLabels)),
        std::to_string(info.ValueLabelBudget));
}

std::pmr::memory_resource* ModelMemory(TSPSSDatafile* owner) {
    return owner != nullptr ? owner->ModelMemory() : std::pmr::new_delete_resource();
}

void TSPSSDatafile::ResetModel() {
    m_variables->Clear();
    m_variableSets->Clear();
    m_mrSets->Clear();
    // Every item is gone: their memory goes back in one piece.
    m_modelArena.Clear();
    m_cases->CaseBuffer.reset();
    m_cases->NumberOfCases = 0;
    m_fileInfo->IdString.clear();
    m_fileInfo->SystemString.clear();
    m_fileInfo->TextInfo.clear();
    m_fileInfo->ValueLabelBudget = 0;
    m_fileInfo->DroppedValueLabels = 0;
    OpenMode = omClosed;
    ReadHandle = -1;
    WriteHandle = -1;
}

} // namespace qs
