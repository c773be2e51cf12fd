// Any bytes as a hive file: parsing never crashes, whatever parses prints to a text that
// parses again, and from then on printing and parsing are stable. (The first print may
// differ: text that is not UTF-8 is written in the registry's hex form as Latin-1.)
#include "platform/registry/Hive.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const qs::HiveParseResult first = qs::ParseHive(text);
    if (!first.hive) {
        return 0;
    }
    const qs::HiveParseResult second = qs::ParseHive(first.hive->ToText());
    if (!second.hive) {
        std::abort();
    }
    const std::string printed = second.hive->ToText();
    const qs::HiveParseResult third = qs::ParseHive(printed);
    if (!third.hive || third.hive->ToText() != printed) {
        std::abort();
    }
    return 0;
}
