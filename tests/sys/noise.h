// Reproducible arbitrary bytes for the tests that feed garbage to parsers.
#pragma once

#include <cstddef>
#include <string>

namespace velmora::testing {

inline std::string noise_bytes(std::size_t size, unsigned seed) {
    std::string bytes;
    bytes.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>(seed >> 16);
    }
    return bytes;
}

}  // namespace velmora::testing
