// Names crafted against an unseeded FNV-1a: they all share the low bits of their hash,
// so that a table indexed by those bits piles them onto one probe run. Tables must stay
// fast on them; the highlighter benchmark uses them too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qs::test {

struct Fnv1a {
    std::uint64_t basis;
    std::uint64_t prime;
};
inline constexpr Fnv1a kFnv1a32{2166136261u, 16777619u};
inline constexpr Fnv1a kFnv1a64{0xcbf29ce484222325ull, 0x100000001b3ull};

// `count` distinct names of `length` (at least 6) lower-case letters and digits, starting
// with a letter, whose FNV-1a over the upper-cased bytes agrees in the low `bits` bits
// (at most 24). The same seed gives the same names.
std::vector<std::string> FnvCollidingNames(std::size_t count, std::size_t length, int bits,
                                           Fnv1a fnv, unsigned seed);

// Names of the same shape without any relation between their hashes.
std::vector<std::string> RandomNames(std::size_t count, std::size_t length, unsigned seed);

} // namespace qs::test
