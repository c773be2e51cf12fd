// Whole files by UTF-8 name: reading one, saving new content without losing the old text
// or anything else about the file, and a file's identity and state on disk. POSIX and
// Windows (wide calls) each have their implementation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

struct FileResult {
    bool ok = false;
    std::string error;
};

// Reads a whole file.
FileResult ReadWholeFile(const std::string& path, std::string& bytes);

// Saves the bytes as the file's new content. Where nothing of the old file is lost by it, a
// temporary file in the same folder is written, synced and put in the old one's place, so
// that a failure leaves the old file as it was.
// POSIX: the copy gets the old file's owner, group, extended attributes (ACLs among them)
// and permissions before it is renamed over it. A file with several hard links, or one whose
// folder takes no new file, or whose owner or attributes the copy could not keep, is written
// in place instead, after its space has been reserved. A new file gets 0666 less the umask.
// A symbolic link is followed, not replaced.
// Windows: the system's replace call gives the copy the old file's access list, attributes
// and creation time; a folder that takes no new file means writing in place.
FileResult SaveFileContents(const std::string& path, std::string_view bytes);

// The process umask, read once without changing it (0 on Windows, which has none for its
// access lists). Call it at start-up, before any thread: where /proc is missing, reading it
// means setting it for a moment.
unsigned ProcessUmask();

// A file's identity and state on disk, compared before a save writes over it.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0; // Windows: volume serial and file index
    std::int64_t modifiedNs = 0;                   // modification time, nanoseconds
    bool operator==(const FileStamp&) const = default;
};

// Follows symbolic links; exists=false when the file cannot be examined.
FileStamp StampOf(const std::string& path);

} // namespace qs
