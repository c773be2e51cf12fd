// TSPSSDatafile's case calls: reading, seeking and the values of the current case,
// through the I/O library, with the reader's own words for a damaged case.
#include "datafile/SPSSResourcestrings.h"
#include "datafile/TSPSSVL.h"
#include "platform/spssio/spssio.h"

#include <string>
#include <vector>

namespace qs {

namespace {

// Room for any value of a string variable once recoded to UTF-8.
std::size_t ValueBufferSize(const TSPSSVariable& var) {
    return 3 * static_cast<std::size_t>(var.PrintType == SPSS_FMT_AHEX ? var.PrintWidth / 2
                                                                       : var.PrintWidth) +
           1;
}

// Unlike the dictionary calls, a case call that fails never passes: a value it did not
// deliver must not be taken for one (the library's code 58, an invalid variable handle,
// has no message of its own).
void CheckCaseCall(int code) {
    if (code <= 0) {
        return;
    }
    TSPSSDatafile::CheckSPSSError(code);
    throw ESPSSDataFileException("SPSS I/O library error " + std::to_string(code), code);
}

} // namespace

bool TSPSSDatafile::ReadCaseRecord() {
    const int code = spssReadCaseRecord(ReadHandle);
    if (code == SPSS_FILE_END) {
        return false;
    }
    if (code == SPSS_FILE_RERROR) {
        std::vector<char> message(1024);
        spssGetCaseError(ReadHandle, message.data(), static_cast<int>(message.size()));
        if (message[0] != '\0') {
            throw ESPSSDataFileException(
                std::string(SPSSErrorMessage(code)) + ": " + message.data(), code);
        }
    }
    CheckCaseCall(code);
    return true;
}

void TSPSSDatafile::SeekNextCase(std::int64_t caseNumber) {
    CheckCaseCall(spssSeekNextCase64(ReadHandle, caseNumber));
}

double TSPSSDatafile::GetValueNumeric(const TSPSSVariable& var) const {
    double value = 0;
    CheckCaseCall(spssGetValueNumeric(ReadHandle, var.VarHandle, &value));
    return value;
}

std::string TSPSSDatafile::GetValueChar(const TSPSSVariable& var) const {
    std::vector<char> value(ValueBufferSize(var));
    CheckCaseCall(
        spssGetValueChar(ReadHandle, var.VarHandle, value.data(), static_cast<int>(value.size())));
    return std::string(value.data());
}

} // namespace qs
