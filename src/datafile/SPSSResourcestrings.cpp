// Texts of the I/O library's error codes, kept as the library's documentation words them.
#include "datafile/SPSSResourcestrings.h"

#include <algorithm>
#include <iterator>

namespace qs {

namespace {

struct CodeMessage {
    int code;
    const char* message;
};

constexpr CodeMessage kMessages[] = {
    {1, "Error opening file"},
    {2, "File write error"},
    {3, "Error reading file"},
    {4, "File table full(too many open SPSS data files)"},
    {5, "The file handle  is not valid"},
    {6, "File is not a valid SPSS file"},
    {7, "Insufficient memory"},
    {8, "File is open for reading, not for appending case"},
    {9, "File is open for writing, not for reading"},
    {10, "The variable name is not valid"},
    {11, "No variables defined in the dictionary"},
    {12, "A variable with the given name does not exist"},
    {13, "There already is a variable with the same name"},
    {14, "Variable associated with the handle is not numeric"},
    {15, "Variable associated with the handle is not a string"},
    {16, "The variable is a long string"},
    {17, "Invalid length code"},
    {18, "Invalid missing values specification"},
    {19, "Invalid compression switch(other than 0 or 1)"},
    {20, "The print format specification is invalid or is incompatible with the variable type"},
    {21, "The write format specification is invalid or is incompatible with the variable type"},
    {22, "Invalid date"},
    {23, "Invalid time"},
    {24, "Number of variables is zero or negative"},
    {27, "The list of values contains duplicates"},
    {28, "The given case weight variable is invalid. This error signals an internal problem in "
         "the implementation of the DLL and should never occur"},
    {30, "Dictionary has already been writtten with spssCommitheader"},
    {31, "Dictionary of the output file has not yet been written  with spssCommitHeader"},
    {33, "File is not a valid SPSS data file(no type 2 record)"},
    {41, "There is no type7,subtype3 record present."},
    {45, "The date variable information is invalid"},
    {46, "File is not a valid SPSS data file(missing type 999 record)"},
    {47, "The value is longer than the length of variable"},
    {48, "Unable to free because arguments are illegal or inconsistent(for example "
         ",negative numLabels)"},
    {49, "Buffer value is too short to hold the value"},
    {50, "Current case is not valid.This may be because no spssRead CaseRecord calls have been "
         "made yet or because most recent call failed with error or encountered the end of "
         "file"},
    {51, "Internal data structures of the DLL are invalid. This signals an error in the DLL."},
    {52, "File created on an incompatible system"},
    {53, "SPSS Error INTERNAL_D_A"},
    {54, "SPSS Error FILE_BADTEMP"},
    {55, "SPSS Error DEW_NOFIRST"},
    {56, "SPSS Error INVALID_MEASURELEVEL"},
    {57, "SPSS Error INVALID_7SUBTYPE"},
    {70, "SPSS Error INVALID_MRSETDEF"},
    {71, "SPSS Error INVALID_MRSETNAME"},
    {72, "SPSS Error DUP_MRSETNAME"},
};

} // namespace

const char* SPSSErrorMessage(int code) {
    const auto it = std::find_if(std::begin(kMessages), std::end(kMessages),
                                 [code](const CodeMessage& m) { return m.code == code; });
    return it == std::end(kMessages) ? nullptr : it->message;
}

std::string FormatMessage(std::string_view message, std::string_view argument) {
    std::string text(message);
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, argument);
    }
    return text;
}

} // namespace qs
