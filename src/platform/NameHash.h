// Seeded hashing for the lookup tables that data files and word lists fill: names from a
// file can be chosen to collide in any fixed hash, piling onto one probe run. The keys are
// random per process and every bit of the input reaches every bit of the result, so the
// low bits the tables index by cannot be steered from outside.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <string_view>

namespace qs {

struct HashKeys {
    std::uint64_t k0 = 0;
    std::uint64_t k1 = 1; // odd: a multiplier that is never zero
};

namespace name_hash {

inline std::uint64_t Load64(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint64_t Load32(const unsigned char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Both halves of the 128-bit product, folded.
inline std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
    __extension__ typedef unsigned __int128 Wide;
    const Wide r = static_cast<Wide>(a) * b;
    return static_cast<std::uint64_t>(r) ^ static_cast<std::uint64_t>(r >> 64);
#else
    const std::uint64_t aLo = a & 0xFFFFFFFF, aHi = a >> 32, bLo = b & 0xFFFFFFFF, bHi = b >> 32;
    const std::uint64_t ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const std::uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFF) + (hl & 0xFFFFFFFF);
    const std::uint64_t lo = (mid << 32) | (ll & 0xFFFFFFFF);
    const std::uint64_t hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
    return lo ^ hi;
#endif
}

// Upper-cases the ASCII letters among eight bytes at once; other bytes stay as they are.
inline std::uint64_t FoldAscii(std::uint64_t v) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t low7 = v & (0x7F * kOnes);
    const std::uint64_t fromA = low7 + (0x80 - 'a') * kOnes;     // top bit: byte >= 'a'
    const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * kOnes; // top bit: byte > 'z'
    const std::uint64_t lower = fromA & ~pastZ & ~v & (0x80 * kOnes);
    return v ^ (lower >> 2);
}

inline HashKeys MakeKeys() {
    std::uint64_t words[2] = {};
    try {
        std::random_device device;
        for (std::uint64_t& w : words) {
            w = (std::uint64_t{device()} << 32) ^ device();
        }
    } catch (...) {
        // No entropy source: the clock and where the stack lies still differ per process.
        const auto ticks = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        words[0] = Mix(ticks ^ 0x9E3779B97F4A7C15ull, reinterpret_cast<std::uintptr_t>(&ticks) | 1);
        words[1] = Mix(words[0] ^ 0xD6E8FEB86659FD93ull, 0xA0761D6478BD642Full);
    }
    return {words[0], words[1] | 1};
}

} // namespace name_hash

// The keys of this process, drawn once; tables copy them to keep lookups free of the
// initialisation check.
inline const HashKeys& ProcessHashKeys() {
    static const HashKeys keys = name_hash::MakeKeys();
    return keys;
}

// Hash of text with ASCII letters taken as upper case: names equal but for the case of
// their ASCII letters hash alike. Eight bytes at a time, sixteen per multiplication.
inline std::uint64_t FoldedHash(std::string_view text, const HashKeys& keys) {
    using namespace name_hash;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::uint64_t state = keys.k0;
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (n <= 16) {
        if (n >= 8) {
            a = Load64(p);
            b = Load64(p + n - 8);
        } else if (n >= 4) {
            a = (Load32(p) << 32) | Load32(p + n - 4);
        } else if (n > 0) {
            a = (std::uint64_t{p[0]} << 16) | (std::uint64_t{p[n >> 1]} << 8) | p[n - 1];
        }
    } else {
        std::size_t left = n;
        for (; left > 16; p += 16, left -= 16) {
            state = Mix(FoldAscii(Load64(p)) ^ keys.k1, FoldAscii(Load64(p + 8)) ^ state);
        }
        // The last sixteen bytes, overlapping what was mixed already.
        a = Load64(p + left - 16);
        b = Load64(p + left - 8);
    }
    // Overlapping reads are told apart by the length, mixed in last.
    return Mix(Mix(FoldAscii(a) ^ keys.k1, FoldAscii(b) ^ state) ^ keys.k0 ^ n, keys.k1);
}

// Hash of a 64-bit key.
inline std::uint64_t KeyHash(std::uint64_t key, const HashKeys& keys) {
    using namespace name_hash;
    return Mix(Mix(key ^ keys.k0, keys.k1) ^ keys.k0, keys.k1 ^ 0xA0761D6478BD642Full);
}

} // namespace qs
