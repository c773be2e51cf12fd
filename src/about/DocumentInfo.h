// Reads strings from a program file's version information: the version record that every
// Quillstone executable carries (cmake/VersionRecord.cpp.in), asked the questions a
// Windows version resource answers. Reading real version resources is not built yet.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qs {

// Raised inside the reading only; callers get empty text.
class EDocumentInfo : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TDocumentInfo {
public:
    // The file to read; empty means the program's own executable file.
    std::string Filename;

    // The named string of the file's version information, or empty text when the file
    // has none or the string is missing.
    std::string GetVersionString(const std::string& name);
    std::string FileVersion() { return GetVersionString("FileVersion"); }
    // Why the last reading gave empty text ("Failed to get information about the file
    // (%d)"); empty after a reading that succeeded.
    const std::string& LastError() const { return m_lastError; }

private:
    std::string m_lastError;
};

// The string table's name for a translation: language * 65536 + code page as eight
// lowercase hexadecimal digits.
std::string TranslationBlockName(std::uint16_t language, std::uint16_t codePage);

} // namespace qs
