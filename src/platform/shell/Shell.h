// What the operating system's shell offers the program: starting programs, the user's
// documents folder, the program's own file, private temporary files.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qs {

struct StartResult {
    bool ok = false;
    std::string error; // why the program could not be started
};

// Starts `program` with `arguments` as a process of its own that outlives this one. The
// arguments go to the program one by one; no shell ever sees them.
StartResult StartProgram(const std::string& program, const std::vector<std::string>& arguments);

// The full path of the program `name` as the PATH finds it; empty when there is none.
std::string FindProgram(const std::string& name);

// Runs `program` with `arguments` (no shell), waits for it to end and gives what it wrote
// to its standard output; nullopt when it could not be started or did not exit with 0.
// Only for short queries: the caller waits.
std::optional<std::string> ReadProgramOutput(const std::string& program,
                                             const std::vector<std::string>& arguments);

// The full path of the running program file.
std::string ProgramFilePath();

// The user's documents folder: XDG_DOCUMENTS_DIR of the user-dirs file, else ~/Documents
// when it exists, else the home folder; empty when there is no home folder.
std::string GetPersonalFolder();

struct PrivateFolderResult {
    std::string path;  // empty when `error` is set
    std::string error; // why the folder cannot be trusted or made
};

// The user's private folder for the engine's socket and files and for the editor's
// temporary files: $XDG_RUNTIME_DIR/quillstone, else $XDG_CACHE_HOME/quillstone/run
// (~/.cache when unset). It must be a real folder of this user with mode 0700, and every
// folder above it this user's or root's, sticky where others may write; with `create` it
// is made (mode 0700 whatever the umask) when missing.
PrivateFolderResult PrivateRunFolder(bool create);

// A private folder on disk for large files of the engine's own (copies of whole datasets),
// which would fill the runtime folder, a memory file system of limited size:
// $XDG_CACHE_HOME/quillstone/`name` (~/.cache), checked as PrivateRunFolder is; that folder
// itself when there is no home. POSIX only.
PrivateFolderResult PrivateCacheFolder(const std::string& name, bool create);

struct TempFileResult {
    std::string path;    // full name of the new, empty file; empty on failure
    int error = 0;       // the system's error number on failure
    std::string message; // its text
};

// Creates a new, empty file in the user's private folder (PrivateRunFolder; on Windows the
// temporary folder, private by its access list), exclusively and readable and writable by
// the user only (0600). The name is the first three characters of `prefix`, a
// hexadecimal number and ".TMP", so other programs' files are never reused.
TempFileResult CreateTempFile(const std::string& prefix);

} // namespace qs
