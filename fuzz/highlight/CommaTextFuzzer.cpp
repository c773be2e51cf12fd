// Fuzzes comma text and the language definition format: parsing never fails on any bytes,
// and formatting parsed items then parsing again gives the same items.
#include "highlight/CommaText.h"
#include "highlight/LanguageElements.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> items = qs::ParseCommaText(input);
    for (const std::string& item : items) {
        if (item.find('\0') != std::string::npos) {
            std::abort(); // the text ends at a NUL, so no item can hold one
        }
    }
    if (qs::ParseCommaText(qs::FormatCommaText(items)) != items) {
        std::abort();
    }
    if (auto elements = qs::ParseLanguageDefinition(input)) {
        for (const std::string& text : elements->texts) {
            qs::ParseCommaText(text);
        }
    }
    return 0;
}
