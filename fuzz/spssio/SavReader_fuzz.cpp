// Fuzz target of the system file dictionary reader: any bytes must give a
// result code, never a crash, hang or unbounded allocation. Inputs whose size
// is a multiple of 8 go through a real file descriptor to cover the windowed reads,
// half of them with a window of a few bytes so that records cross its end.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qs::spssio::SavDictionary dict;
    int rc;
    if (size % 8 == 0) {
        const int fd = memfd_create("sav", MFD_CLOEXEC);
        if (fd < 0)
            return 0;
        if (write(fd, data, size) != static_cast<ssize_t>(size)) {
            close(fd);
            return 0;
        }
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        qs::spssio::setReadWindow(size % 16 == 8 ? 24 : 0);
        rc = qs::spssio::readSavFile(path.c_str(), dict);
        close(fd);
    } else {
        rc = qs::spssio::readSavBytes(data, size, dict);
    }
    if (rc == 0) {
        volatile std::size_t sink = walk(dict);
        (void)sink;
    }
    return 0;
}
