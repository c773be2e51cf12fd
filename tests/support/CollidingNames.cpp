// Crafting FNV-1a collisions: the low bits of FNV-1a depend only on the low bits before
// each step, and a step can be undone (xor, then multiplying by the prime's inverse).
// Walking back from one target through every 4-character suffix gives, for most states,
// a suffix that leads there; random prefixes then only need the matching suffix.
#include "support/CollidingNames.h"

#include <random>
#include <stdexcept>
#include <unordered_set>

namespace qs::test {

namespace {

constexpr std::string_view kFirst = "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kRest = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kSuffix = 4;

std::uint64_t Upper(char c) {
    return static_cast<std::uint64_t>(c >= 'a' && c <= 'z' ? c - 32 : c);
}

// The inverse of an odd number modulo 2^64 (Newton's iteration doubles the correct bits).
std::uint64_t Inverse(std::uint64_t odd) {
    std::uint64_t x = odd;
    for (int i = 0; i < 5; ++i) {
        x *= 2 - odd * x;
    }
    return x;
}

std::string RandomPrefix(std::mt19937& rng, std::size_t length) {
    std::string s(1, kFirst[rng() % kFirst.size()]);
    while (s.size() < length) {
        s += kRest[rng() % kRest.size()];
    }
    return s;
}

} // namespace

std::vector<std::string> FnvCollidingNames(std::size_t count, std::size_t length, int bits,
                                           Fnv1a fnv, unsigned seed) {
    if (length < kSuffix + 2 || bits < 1 || bits > 24) {
        throw std::invalid_argument("FnvCollidingNames: length >= 6 and bits 1..24");
    }
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    const std::uint64_t inverse = Inverse(fnv.prime);
    std::mt19937 rng(seed);
    const std::uint64_t target = rng() & mask;
    // suffixOf[state]: 1 + the number of a suffix leading from state to the target, or 0.
    std::vector<std::uint32_t> suffixOf(std::size_t{1} << bits, 0);
    std::uint32_t total = 1;
    for (std::size_t i = 0; i < kSuffix; ++i) {
        total *= static_cast<std::uint32_t>(kRest.size());
    }
    for (std::uint32_t n = 0; n < total; ++n) {
        std::uint64_t state = target;
        for (std::uint32_t rest = n, i = 0; i < kSuffix; ++i, rest /= kRest.size()) {
            state = ((state * inverse) & mask) ^ Upper(kRest[rest % kRest.size()]);
        }
        suffixOf[state] = n + 1;
    }
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    while (names.size() < count) {
        std::string name = RandomPrefix(rng, length - kSuffix);
        std::uint64_t state = fnv.basis;
        for (char c : name) {
            state = (state ^ Upper(c)) * fnv.prime;
        }
        const std::uint32_t found = suffixOf[state & mask];
        if (found == 0) {
            continue;
        }
        // The suffix's first character is the one undone last.
        std::string suffix;
        for (std::uint32_t rest = found - 1, i = 0; i < kSuffix; ++i, rest /= kRest.size()) {
            suffix.insert(suffix.begin(), kRest[rest % kRest.size()]);
        }
        for (char c : suffix) {
            state = (state ^ Upper(c)) * fnv.prime;
        }
        // The tables' tests prove nothing if the names do not collide after all.
        if ((state & mask) != target) {
            throw std::logic_error("FnvCollidingNames: a suffix misses the target");
        }
        name += suffix;
        if (seen.insert(name).second) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::vector<std::string> RandomNames(std::size_t count, std::size_t length, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    while (names.size() < count) {
        std::string name = RandomPrefix(rng, length);
        if (seen.insert(name).second) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

} // namespace qs::test
