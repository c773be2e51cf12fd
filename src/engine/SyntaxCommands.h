// Says how a command changes the active dataset, so that the engine host knows which
// file its data document stands for; commands are split as the editor splits them.
#pragma once

#include "platform/SyntaxQuoted.h"
#include "spss/CommandSplitter.h"

#include <string>
#include <string_view>

namespace qs::engine {

using qs::SplitCommands;
using qs::SyntaxCommand;
using qs::SyntaxMode;

struct DatasetChange {
    enum class Kind {
        None,     // leaves the active dataset where it came from
        Opened,   // GET FILE: the dataset now stands for `path`
        Replaced, // a new dataset that no file stands for yet
        Included  // INCLUDE/INSERT: the change is whatever `path`'s commands do
    };
    Kind kind = Kind::None;
    std::string path; // as written in the command (quotes removed), may be relative
    SyntaxMode syntax = SyntaxMode::Batch; // how PSPP reads an included file
};

// The text as the engine's batch file holds it: every line break LF, one after the last line.
std::string BatchFileText(std::string_view text);

// What `command` (one command's text) does to the active dataset.
DatasetChange DatasetChangeOf(std::string_view command);

// Whether a command is a transformation that writes files when the data are next read
// (WRITE, PRINT, XSAVE, XEXPORT), or a procedure known to read them (and run such
// transformations); None for every other.
enum class PassEffect { None, WritesFiles, RunsPass };
PassEffect PassEffectOf(std::string_view command);

// Whether a command is known to leave the active dataset's cases and variables as they
// are: a procedure that only reports (and saves nothing into the dataset), or a command
// about the output. False for every other, so that when in doubt the cases count as changed.
bool LeavesCasesAlone(std::string_view command);

// The block (DO IF, LOOP, DO REPEAT, INPUT PROGRAM) that `text` opens and leaves open,
// in capitals; empty when it closes what it opens.
std::string OpenBlockOf(std::string_view text);

} // namespace qs::engine
