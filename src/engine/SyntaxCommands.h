// Says how a command changes the active dataset, so that the engine host knows which
// file its data document stands for; commands are split as the editor splits them.
#pragma once

#include "platform/SyntaxQuoted.h"
#include "spss/CommandEffects.h"
#include "spss/CommandSplitter.h"

#include <string>
#include <string_view>

namespace qs::engine {

using qs::LeavesCasesAlone;
using qs::PassEffect;
using qs::PassEffectOf;
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

// The block (DO IF, LOOP, DO REPEAT, INPUT PROGRAM) that `text` opens and leaves open,
// in capitals; empty when it closes what it opens.
std::string OpenBlockOf(std::string_view text);

} // namespace qs::engine
