// Fuzz target of the system file reader: any bytes must give a result code, never a
// crash, hang or unbounded allocation. Inputs whose size is a multiple of 8 go through a
// real file descriptor to cover the windowed reads, half of them with a window of a few
// bytes so that records cross its end. A dictionary that reads has its cases read too:
// every value of every case, then jumps through the index that a thread builds.
#include "platform/spssio/CaseReader.h"
#include "platform/spssio/SavDictionary.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Touches every text so that the sanitizers see any bad length.
std::size_t walk(const qs::spssio::SavDictionary& d)
{
    std::size_t sum = d.variableSets.size() + d.mrSets.size() + d.encoding.size();
    if (d.textInfoCut > d.textInfo.size())
        __builtin_trap();
    for (const auto& v : d.variables) {
        sum += v.name.size() + v.label.size() + v.shortName.size();
        for (const auto& t : v.missing.text)
            sum += t.size();
        for (const auto& l : v.valueLabels)
            sum += l.text.size() + l.label.size();
        if (d.find(v.name) < 0)
            __builtin_trap(); // every variable must be found by its own name
        if (v.labelCut > v.label.size())
            __builtin_trap(); // the interface's cut lies within the label
    }
    return sum;
}

// Reads every case and touches every value, then jumps about with the index built.
std::size_t readCases(const qs::spssio::SavDictionary& dict, const std::string& path)
{
    std::string message, scratch;
    const auto reader = qs::spssio::CaseReader::open(dict, path, message, 3);
    if (!reader)
        return message.size();
    std::size_t sum = 0;
    qs::spssio::CaseBlock block;
    for (std::int64_t first = 0;; first += block.count) {
        const bool ok = reader->read(first, 64, block);
        for (std::int64_t row = 0; row < block.count; ++row)
            for (std::size_t v = 0; v < dict.variables.size(); ++v)
                sum += dict.variables[v].width == 0
                           ? static_cast<std::size_t>(reader->number(block.record(row), int(v)) > 0)
                           : reader->bytes(block.record(row), int(v), scratch).size();
        if (!ok || block.count < 64)
            break;
    }
    const std::int64_t seen = block.first + block.count;
    reader->startIndexing();
    reader->waitForIndex();
    for (const std::int64_t at : {seen - 1, seen / 2, std::int64_t(0), seen / 3})
        if (at >= 0 && reader->read(at, 2, block) && block.count > 0 &&
            block.first != at)
            __builtin_trap(); // a block starts where it was asked to
    return sum + reader->error().size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qs::spssio::SavDictionary dict;
    const int fd = memfd_create("sav", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    int rc;
    if (size % 8 == 0) {
        qs::spssio::setReadWindow(size % 16 == 8 ? 24 : 0);
        rc = qs::spssio::readSavFile(path.c_str(), dict);
    } else {
        rc = qs::spssio::readSavBytes(data, size, dict);
    }
    if (rc == 0) {
        volatile std::size_t sink = walk(dict) + readCases(dict, path);
        (void)sink;
    }
    close(fd);
    return 0;
}
