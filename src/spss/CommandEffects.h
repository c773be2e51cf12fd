// What commands do to the active dataset beyond their own output: transformations that
// write files when the data are next read, procedures that read them, and commands that
// leave the cases as they are. The engine host and the editor's jobs both need to know,
// as copying the dataset's dictionary or cases reads the data too.
#pragma once

#include <string>
#include <string_view>

namespace qs {

// Whether a command is a transformation that writes files when the data are next read
// (WRITE, PRINT, XSAVE, XEXPORT), TEMPORARY, or a procedure known to read the data (and
// so run such transformations and end a TEMPORARY); None for every other.
enum class PassEffect { None, WritesFiles, Temporary, RunsPass };
PassEffect PassEffectOf(std::string_view command);

// Whether a command is known to leave the active dataset's cases and variables as they
// are: a procedure that only reports (and saves nothing into the dataset), or a command
// about the output. False for every other, so that when in doubt the cases count as changed.
bool LeavesCasesAlone(std::string_view command);

// Said when the dictionary is asked for while the user's TEMPORARY waits for its
// procedure: saving one then would run that procedure early and drop the temporary changes.
inline constexpr const char* kTemporaryPending =
    "The data file objects are read again after the next procedure: a TEMPORARY command "
    "is in effect.";
// Said when it is asked for while transformations that write files wait for their
// procedure: saving one then would run them and write those files early.
inline constexpr const char* kFileWritesPending =
    "The data file objects are read again after the next procedure: transformations that "
    "write files (WRITE, PRINT, XSAVE) wait for it.";

// Follows the syntax sent to an engine that does not tell what waits for a procedure,
// and says why its dictionary must not be copied now (empty: it may be).
class TPendingTransformations {
public:
    // `text` was sent; with `ran` false it failed on the way, and only what it may have
    // left waiting counts, not the procedures it may not have reached.
    void Note(std::string_view text, bool ran);
    // The same for one command of a text split already.
    void NoteCommand(std::string_view command, bool ran);
    std::string Why() const;
    bool FileWritesPending() const { return m_fileWrites; }

private:
    bool m_temporary = false;
    bool m_fileWrites = false;
};

} // namespace qs
