// Fuzz target of the whole road from a data file to the dictionary tool's output: the I/O
// library interface, TSPSSDatafile with its set and time stamp parsers, the text and
// JSON printers, and the CSV of the cases with and without labels (every value through
// its print format). Any bytes must give the reader's error or a dictionary whose JSON is
// valid; anything else (a crash, another kind of exception, a sanitizer report) is a
// finding.
#include "datafile/MiniJson.h"
#include "datafile/CsvExport.h"
#include "datafile/DictPrinter.h"
#include "datafile/TSPSSVL.h"

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("sav", MFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    if (write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return 0;
    }
    qs::TSPSSDatafile file;
    const auto closeQuietly = [&file] {
        try {
            file.Close();
        } catch (const qs::ESPSSDataFileException&) {
        }
    };
    try {
        file.SetFilename("/proc/self/fd/" + std::to_string(fd));
        file.Open();
        volatile std::size_t sink = qs::DictionaryText(file).size();
        (void)sink;
        if (!qs::test::ParseJson(qs::DictionaryJson(file))) {
            __builtin_trap(); // the tool's JSON must always parse
        }
        file.Close();
        std::string message;
        if (const auto reader = qs::spssio::CaseReader::open(file.Filename(), message)) {
            std::size_t bytes = 0;
            const qs::CsvSink sink = [&bytes](std::string_view text) {
                bytes += text.size();
                return true;
            };
            for (const bool labels : {false, true}) {
                qs::CsvOptions options;
                options.labels = labels;
                qs::WriteCsv(*reader, options, sink, message);
            }
            volatile std::size_t csv = bytes;
            (void)csv;
        }
    } catch (const qs::ESPSSDataFileException&) {
        closeQuietly(); // a file the reader refuses: its message is the result
    } catch (const qs::EConvertError&) {
        closeQuietly(); // a header time stamp that the conversion rejects
    }
    close(fd);
    return 0;
}
