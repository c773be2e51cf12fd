// The start of a command-line tool. On Windows the C runtime hands over the arguments in
// the ANSI code page and writes LF as CR LF on the standard streams; the tools want UTF-8
// arguments and exact bytes, as on Linux. Elsewhere this changes nothing.
#pragma once

#ifdef _WIN32
#include "platform/WinText.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <stdio.h>

#include <string>
#include <vector>
#endif

namespace qs {

// Replaces the arguments with the command line's own, as UTF-8 (also for the editor,
// whose file arguments would lose every character outside the ANSI code page).
inline void UseUtf8Arguments([[maybe_unused]] int& argc, [[maybe_unused]] char**& argv) {
#ifdef _WIN32
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        texts.push_back(Narrow(wide[i]));
    }
    ::LocalFree(wide);
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    argc = count;
    argv = pointers.data();
#endif
}

inline void PrepareConsoleProgram(int& argc, char**& argv) {
#ifdef _WIN32
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
#endif
    UseUtf8Arguments(argc, argv);
}

} // namespace qs
