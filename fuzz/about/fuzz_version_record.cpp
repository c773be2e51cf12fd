// Any bytes as a program file and as a browser command line: the version record search
// never crashes and only gives well-formed entries; the command line always splits.
#include "about/BrowserCommand.h"
#include "about/VersionRecord.h"

#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The fuzzer rarely guesses the marker, so every input is also tried behind one.
    for (const std::string& file : {bytes, qs::VersionRecordMarker() + bytes}) {
        std::istringstream in(file);
        qs::VersionRecord record;
        if (qs::FindVersionRecord(in, record) == qs::RecordSearch::Found) {
            for (const auto& [query, value] : record.entries) {
                if (query.empty() || query.find('=') != std::string::npos) {
                    std::abort();
                }
            }
        }
    }
    const qs::BrowserCommand command = qs::SplitBrowserCommandLine(bytes);
    if (command.program.size() > bytes.size() || command.parameters.size() > bytes.size()) {
        std::abort();
    }
    return 0;
}
