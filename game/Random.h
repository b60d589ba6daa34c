// The 32-bit linear congruential generator the word choice and the shuffle draw from.
#pragma once
#include <cstdint>

struct Random {
    std::uint32_t seed = 0;

    // seed := seed * 134775813 + 1 (mod 2^32); the result is the high 32 bits of seed * m.
    std::uint32_t Next(std::uint32_t m) {
        seed = seed * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed) * m) >> 32);
    }
    // Uniform from a to b inclusive.
    int Between(int a, int b) { return a + static_cast<int>(Next(static_cast<std::uint32_t>(b - a + 1))); }
};
