// quillstone-dict [--json] FILE.sav: opens a data file through TSPSSDatafile and prints
// its dictionary; a file that cannot be read exits 1 with the reader's message.
// quillstone-dict --csv [--labels] FILE.sav writes its cases as CSV instead.
#include "about/ProgramSwitches.h"
#include "datafile/CsvExport.h"
#include "datafile/DictPrinter.h"
#include "datafile/TSPSSVL.h"
#include "platform/ConsoleProgram.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage = "Usage: quillstone-dict [--json | --csv [--labels]] FILE.sav\n";
constexpr const char* kDescription =
    "Prints the dictionary of a data file (.sav or .zsav). Exits 1 with the reader's\n"
    "message when the file cannot be read.\n"
    "\n"
    "  --json        print the dictionary as JSON instead of text\n"
    "  --csv         write the cases as CSV on standard output (values in their print\n"
    "                formats, as PSPP's SAVE TRANSLATE /TYPE=CSV writes them); a damaged\n"
    "                case ends the output with the reader's message and exit code 1\n"
    "  --labels      with --csv: value labels in place of the values that have one\n";

int WriteCases(const std::string& path, bool labels) {
    std::string message;
    const auto reader = qs::spssio::CaseReader::open(path, message);
    if (!reader) {
        std::cerr << path << ": " << message << "\n";
        return 1;
    }
    qs::CsvOptions options;
    options.labels = labels;
    const bool ok = qs::WriteCsv(*reader, options, [](std::string_view text) {
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    }, message);
    if (std::fflush(stdout) != 0 && ok) {
        std::cerr << path << ": the output cannot be written\n";
        return 1;
    }
    if (!ok) {
        std::cerr << path << ": " << message << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qs::PrepareConsoleProgram(argc, argv);
    if (const auto code = qs::AnswerInfoSwitch(argc, argv, qs::ThisProgram(),
                                                 std::string(kUsage) + kDescription, std::cout)) {
        return *code;
    }
    bool json = false;
    bool csv = false;
    bool labels = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--csv") {
            csv = true;
        } else if (arg == "--labels") {
            labels = true;
        } else if (path.empty() && !arg.empty()) {
            path = arg;
        } else {
            path.clear();
            break;
        }
    }
    if (path.empty() || (csv && json) || (labels && !csv)) {
        std::cerr << kUsage;
        return 2;
    }
    if (csv) {
        return WriteCases(path, labels);
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
