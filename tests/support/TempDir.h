// A private temporary folder for one test, removed with everything in it.
#pragma once

#include "platform/FilePath.h"

#include <filesystem>
#include <string>

namespace qs::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The path as the program's interfaces take names: UTF-8 (on Windows path::string() would
// give the ANSI code page).
inline std::string Utf8Path(const std::filesystem::path& path) {
    return Utf8FromPath(path);
}

// Whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
// Writes bytes, replacing the file; fails the test when it cannot.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace qs::test
