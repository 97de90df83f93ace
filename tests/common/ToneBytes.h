#pragma once
// A pure tone as the capture delivers it: unsigned 8-bit samples, 128 = zero.
#include <cmath>
#include <cstdint>
#include <vector>

inline std::vector<std::uint8_t> sine(double hz, int rate, int count, double amplitude) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        bytes[static_cast<std::size_t>(n)] =
            static_cast<std::uint8_t>(128 + std::lround(amplitude * std::sin(2 * M_PI * hz * n / rate)));
    return bytes;
}
