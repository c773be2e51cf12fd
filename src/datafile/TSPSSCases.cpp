// TSPSSDatafile's case calls: reading, seeking and the values of the current case,
// through the I/O library, with the reader's own words for a damaged case.
#include "datafile/SPSSResourcestrings.h"
#include "datafile/TSPSSVL.h"
#include "platform/spssio/spssio.h"

#include <vector>

namespace qs {

namespace {

// Room for any value of a string variable once recoded to UTF-8.
std::size_t ValueBufferSize(const TSPSSVariable& var) {
    return 3 * static_cast<std::size_t>(var.PrintType == SPSS_FMT_AHEX ? var.PrintWidth / 2
                                                                      : var.PrintWidth) + 1;
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
            throw ESPSSDataFileException(std::string(SPSSErrorMessage(code)) + ": " + message.data(),
                                         code);
        }
    }
    CheckSPSSError(code);
    return true;
}

void TSPSSDatafile::SeekNextCase(std::int64_t caseNumber) {
    CheckSPSSError(spssSeekNextCase64(ReadHandle, caseNumber));
}

double TSPSSDatafile::GetValueNumeric(const TSPSSVariable& var) const {
    double value = 0;
    CheckSPSSError(spssGetValueNumeric(ReadHandle, var.VarHandle, &value));
    return value;
}

std::string TSPSSDatafile::GetValueChar(const TSPSSVariable& var) const {
    std::vector<char> value(ValueBufferSize(var));
    CheckSPSSError(spssGetValueChar(ReadHandle, var.VarHandle, value.data(),
                                    static_cast<int>(value.size())));
    return std::string(value.data());
}

} // namespace qs
