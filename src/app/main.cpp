// quillstone: the editor.
#include "about/ProgramSwitches.h"
#include "app/forms/WindowModes.h"
#include "platform/ConsoleProgram.h"

#include <iostream>

namespace {

constexpr const char* kHelp =
    "Usage: quillstone /NEW | /OPEN | /REOPEN FILE | FILE.sps | FILE.sav\n"
    "   or: quillstone /INSTALL | /UNINSTALL\n"
    "Edits SPSS command syntax and runs it in the statistics engine; each document\n"
    "has a process and window of its own. Only the first argument selects the mode,\n"
    "in any letter case.\n"
    "\n"
    "  /NEW          start with an empty document\n"
    "  /OPEN         ask for a syntax file, then open it\n"
    "  /REOPEN FILE  open FILE\n"
    "  FILE.sps      open a syntax file\n"
    "  FILE.sav      start with an empty document over the data file's variables\n"
    "  /INSTALL      write the program's two menu entries into the statistics\n"
    "                package's registry area, then end\n"
    "  /UNINSTALL    remove those entries again, then end\n";

} // namespace

int main(int argc, char** argv) {
    qs::UseUtf8Arguments(argc, argv);
    // Answered before anything reaches the windows or the registry.
    if (const auto code = qs::AnswerInfoSwitch(argc, argv, qs::ThisProgram(), kHelp, std::cout)) {
        return *code;
    }
    return qs::QuillstoneMain(argc, argv);
}
