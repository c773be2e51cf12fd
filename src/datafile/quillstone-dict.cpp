// quillstone-dict [--json] FILE.sav: opens a data file through TSPSSDatafile and prints
// its dictionary; a file that cannot be read exits 1 with the reader's message.
#include "about/ProgramSwitches.h"
#include "datafile/DictPrinter.h"
#include "datafile/TSPSSVL.h"
#include "platform/ConsoleProgram.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage = "Usage: quillstone-dict [--json] FILE.sav\n";
constexpr const char* kDescription =
    "Prints the dictionary of a data file (.sav or .zsav). Exits 1 with the reader's\n"
    "message when the file cannot be read.\n"
    "\n"
    "  --json        print the dictionary as JSON instead of text\n";

} // namespace

int main(int argc, char** argv) {
    qs::PrepareConsoleProgram(argc, argv);
    if (const auto code = qs::AnswerInfoSwitch(argc, argv, qs::ThisProgram(),
                                                 std::string(kUsage) + kDescription, std::cout)) {
        return *code;
    }
    bool json = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (path.empty() && !arg.empty()) {
            path = arg;
        } else {
            path.clear();
            break;
        }
    }
    if (path.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    qs::TSPSSDatafile file;
    try {
        file.SetFilename(path);
        file.Open();
        // Printed in pieces while the file is open: the text of a large dictionary runs
        // to megabytes and need not be held whole.
        if (json) {
            qs::PrintDictionaryJson(file, std::cout);
        } else {
            qs::PrintDictionaryText(file, std::cout);
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        try {
            file.Close();
        } catch (const std::exception&) {
            // The open's failure is the one to report.
        }
        return 1;
    }
    std::cout.flush();
    // Taking a dictionary of tens of thousands of variables apart piece by piece costs
    // more than reading it; the process ends here and the system frees it all at once.
    std::_Exit(std::cout.good() ? 0 : 1);
}
