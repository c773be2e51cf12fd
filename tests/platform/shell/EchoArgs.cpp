// Test child: writes its arguments, each ended by a zero byte, to standard output; with
// "--to FILE" first, into FILE instead, made whole by a rename so that a waiting reader
// never sees part of it.
#include "platform/ConsoleProgram.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    qs::PrepareConsoleProgram(argc, argv);
    int first = 1;
    std::string target;
    if (argc > 2 && std::string(argv[1]) == "--to") {
        target = argv[2];
        first = 3;
    }
    std::string out;
    for (int i = first; i < argc; ++i) {
        out += argv[i];
        out += '\0';
    }
    if (target.empty()) {
        std::cout << out;
        return std::cout.good() ? 0 : 1;
    }
    const std::filesystem::path path(std::u8string(target.begin(), target.end()));
    std::filesystem::path partial = path;
    partial += ".part";
    std::ofstream(partial, std::ios::binary) << out;
    std::filesystem::rename(partial, path);
    return 0;
}
