// The messages of the data file reader: one per error code of the I/O library, and the
// reader's own.
#pragma once

#include <string>
#include <string_view>

namespace qs {

// The message of an I/O library error code, or nullptr for a code without one
// (success, warnings and errors the reader lets pass).
const char* SPSSErrorMessage(int code);

inline constexpr const char* SFileDoesNotExist = "File %s does not exist";
inline constexpr const char* SFileAlreadyOpen =
    "File is either already open or not closed properly";
inline constexpr const char* SWriteDirectWhileOpen =
    "WriteDirect can only be set if the datafile is closed";
inline constexpr const char* SInvalidDateTime = "Date and time formats are invalid";
inline constexpr const char* SInvalidVariableName = "Variablename %s is not valid";
inline constexpr const char* SValueLabelsDropped =
    "%s value labels left out: this file's label sets would give its variables more "
    "labels than the reader's budget of %s bytes holds";

// Fills the one "%s" of a message.
std::string FormatMessage(std::string_view message, std::string_view argument);

} // namespace qs
