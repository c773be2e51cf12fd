// quillstone-run FILE.sps: runs a syntax file in the engine through the same jobs the
// editor submits (the attach job, then the syntax job on the job worker), and exits 1 with
// the error on standard error when the engine could not be reached or refused the run.
// The Windows twin of "quillstone-engine run"; the automation server shows its own output.
#include "about/ProgramSwitches.h"
#include "app/SyntaxFile.h"
#include "platform/ConsoleProgram.h"
#include "spss/SPSSJobEngine.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

namespace {

using namespace qs;

constexpr const char* kHelp =
    "Usage: quillstone-run FILE.sps\n"
    "Runs FILE.sps in the running statistics engine (starting one if none runs) as the\n"
    "editor runs a document, and exits 1 with the engine's error when the run fails.\n"
    "\n";

// The file's text as the editor reads a document: UTF-8, else Windows-1252.
bool ReadText(const std::string& path, std::string& text) {
    std::string bytes;
    const FileResult read = ReadWholeFile(path, bytes);
    if (!read.ok) {
        std::fprintf(stderr, "quillstone-run: %s\n", read.error.c_str());
        return false;
    }
    text = DecodeSyntaxFile(bytes).text;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    PrepareConsoleProgram(argc, argv);
    if (const auto code = AnswerInfoSwitch(argc, argv, ThisProgram(), kHelp, std::cout)) {
        return *code;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillstone-run FILE.sps\n");
        return 2;
    }
    std::string text;
    if (!ReadText(argv[1], text)) {
        return 1;
    }
    std::string error;
    {
        TSPSSJobEngine engine(true);
        engine.OnJobUnfinished = [&error](TSPSSJobEngine&, std::unique_ptr<TSPSSJob>& job,
                                          bool& retry) {
            retry = false;
            if (error.empty()) {
                error = job->ErrorMessage.empty() ? "the run did not finish" : job->ErrorMessage;
            }
        };
        engine.OnWorkerError = [&error](TSPSSJobEngine&, const std::string& message) {
            error = message;
        };
        engine.AddJob(std::make_unique<TSPSSAttachJob>(
            TSPSSAppFactory{[] { return automation::GetActiveSpssApp(); },
                            [] { return automation::CoSPSSApplication::Create(); }}));
        engine.AddJob(std::make_unique<TSPSSSyntaxJob>(text));
        engine.SetStopWhenIdle();
        engine.Wait();
    }
    if (!error.empty()) {
        std::fprintf(stderr, "quillstone-run: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
