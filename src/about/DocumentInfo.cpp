#include "about/DocumentInfo.h"

#include "about/VersionRecord.h"
#include "platform/FilePath.h"
#include "platform/shell/Shell.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace qs {

namespace {

[[noreturn]] void Fail(int code) {
    char text[64];
    std::snprintf(text, sizeof text, "Failed to get information about the file (%d)", code);
    throw EDocumentInfo(text);
}

// "0409 04e4": the first translation's language and code page.
bool ParseTranslation(const std::string& text, std::uint16_t& language, std::uint16_t& codePage) {
    std::istringstream in(text);
    unsigned long lang = 0;
    unsigned long cp = 0;
    if (!(in >> std::hex >> lang >> cp) || lang > 0xFFFF || cp > 0xFFFF) {
        return false;
    }
    language = static_cast<std::uint16_t>(lang);
    codePage = static_cast<std::uint16_t>(cp);
    return true;
}

std::string ReadVersionString(const std::string& file, const std::string& name) {
    std::ifstream in(PathFromUtf8(file), std::ios::binary);
    if (!in) {
        Fail(-1); // the system reports no version information for a file it cannot read
    }
    VersionRecord record;
    switch (FindVersionRecord(in, record)) {
    case RecordSearch::None:
        Fail(-1);
    case RecordSearch::ReadError:
        Fail(-2);
    case RecordSearch::Found:
        break;
    }
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    const auto translation = record.Query("\\VarFileInfo\\Translation");
    if (!translation || !ParseTranslation(*translation, language, codePage)) {
        Fail(-3);
    }
    const auto value =
        record.Query("\\StringFileInfo\\" + TranslationBlockName(language, codePage) + "\\" + name);
    if (!value) {
        Fail(-4);
    }
    return *value;
}

} // namespace

std::string TranslationBlockName(std::uint16_t language, std::uint16_t codePage) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", (unsigned(language) << 16) + codePage);
    const std::string digits = text;
    return std::string(8 - digits.size(), '0') + digits;
}

std::string TDocumentInfo::GetVersionString(const std::string& name) {
    m_lastError.clear();
    try {
        return ReadVersionString(Filename.empty() ? ProgramFilePath() : Filename, name);
    } catch (const EDocumentInfo& e) {
        m_lastError = e.what();
        return {};
    }
}

} // namespace qs
