#include "highlight/LanguageDefinitionImport.h"

#include "highlight/LanguageElements.h"
#include "platform/FilePath.h"

namespace qs {

namespace fs = std::filesystem;

namespace {

ImportResult Failure(const fs::path& target, const std::string& reason) {
    return {false, "The Language Definition file could not be copied to " + Utf8FromPath(target) +
                       ":\n" + reason};
}

} // namespace

bool HasLanguageDefinitionName(const fs::path& path) {
    return path.filename() == kLanguageDefinitionFileName;
}

bool IsLanguageDefinitionFile(const fs::path& path) {
    return HasLanguageDefinitionName(path) && ReadLanguageDefinition(path).has_value();
}

ImportResult ImportLanguageDefinition(const fs::path& source, const fs::path& programFolder) {
    const fs::path target = programFolder / source.filename();
    std::error_code ec;
    if (fs::equivalent(source, target, ec)) {
        // Copying a file onto itself would empty it.
        return {false, "The selected file is already the program's Language Definition file."};
    }
    fs::path partial = target;
    partial += ".import";
    if (!fs::copy_file(source, partial, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(partial, ec);
        return Failure(target, ec ? ec.message() : "the file could not be copied");
    }
    fs::rename(partial, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(partial, ec);
        return Failure(target, reason);
    }
    return {true, {}};
}

} // namespace qs
