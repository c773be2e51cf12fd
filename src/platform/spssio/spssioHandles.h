// Internals shared by the C interface's units: the table of open files and
// the helpers that copy texts out to callers.
#pragma once

#include "platform/spssio/CaseReader.h"
#include "platform/spssio/SavDictionary.h"
#include "platform/spssio/SavText.h"
#include "platform/spssio/spssio.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>
#include <string>

namespace qs::spssio {

// Case reading through the interface, made at the first case call.
struct CaseCursor {
    std::mutex mutex;
    std::unique_ptr<CaseReader> reader;
    CaseBlock current;     // one case while there is a current case, else none
    std::int64_t next = 0; // the case spssReadCaseRecord reads
    std::string error;
    std::vector<int> variableOfSlot; // var handle - 1 -> variable, -1 elsewhere
    std::unique_ptr<Recoder> recode;
};

struct OpenFile {
    SavDictionary dict;
    bool append = false;
    std::string path;
    CaseCursor cases; // declared after dict: its reader refers to it
};

// The open file behind a handle, or null.
std::shared_ptr<OpenFile> lookupHandle(int handle);
// Copies text into a caller buffer of size bytes, cut at a character boundary;
// returns whether it was cut.
bool copyText(std::string_view text, char* buffer, std::size_t size);
// A malloc'ed copy for the get functions whose results the free functions release.
char* newText(const std::string& text);
// count texts text(i) as one malloc'ed block: the pointer array, then the texts, so
// that a large dictionary costs one allocation, not one per name or label. Released
// with std::free of the array alone; null when memory is short.
template <typename Text> char** newTextArray(std::size_t count, Text&& text)
{
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i)
        bytes += text(i).size() + 1;
    auto** array = static_cast<char**>(std::malloc((count ? count : 1) * sizeof(char*) + bytes));
    if (!array)
        return nullptr;
    char* to = reinterpret_cast<char*>(array + (count ? count : 1));
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view t = text(i);
        if (!t.empty()) // an empty view may hold no pointer, which memcpy must not get
            std::memcpy(to, t.data(), t.size());
        to[t.size()] = '\0';
        array[i] = to;
        to += t.size() + 1;
    }
    return array;
}

// Runs f(dict) for an open handle.
template <typename F> int withFile(int handle, F&& f)
{
    const auto file = lookupHandle(handle);
    if (!file)
        return SPSS_INVALID_HANDLE;
    return f(file->dict);
}

// Runs f(variable) for a variable of an open handle.
template <typename F> int withVar(int handle, const char* name, F&& f)
{
    return withFile(handle, [&](const SavDictionary& dict) {
        if (!name)
            return SPSS_INVALID_VARNAME;
        const int i = dict.find(name);
        if (i < 0)
            return SPSS_VAR_NOTFOUND;
        return f(dict.variables[static_cast<std::size_t>(i)]);
    });
}

} // namespace qs::spssio
