#pragma once
// Test helper: a stable sum of a text, to pin a table against sums computed
// from its published source.
#include <cstdint>
#include <string>

// 64-bit FNV-1a of the text's bytes.
inline std::uint64_t fnv1a(const std::string& text)
{
    std::uint64_t sum = 0xcbf29ce484222325u;
    for (unsigned char c : text)
        sum = (sum ^ c) * 0x100000001b3u;
    return sum;
}
