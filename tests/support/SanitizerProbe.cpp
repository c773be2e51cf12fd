// Makes one sanitizer report and, if the run goes on past it, ends normally: the sanitizer
// builds expect it to fail, which proves that a report stops a test.
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    const char* kind = argc > 1 ? argv[1] : "";
    if (std::strcmp(kind, "undefined") == 0) {
        volatile int big = INT_MAX;
        volatile int sum = big + 1; // signed overflow
        std::printf("went on past %d\n", sum);
    } else if (std::strcmp(kind, "address") == 0) {
        auto block = std::make_unique<char[]>(8);
        volatile char* p = block.get();
        std::printf("went on past %d\n", p[8]); // one past the end
    }
    return 0;
}
