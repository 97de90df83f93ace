#pragma once
// The transmitter's 16-bit pixel word of a colour: each 8-bit component keeps
// its top five bits, red in bits 14-10, green in 9-5, blue in 4-0.
#include <cstdint>

namespace tx {

constexpr std::uint16_t rgb555Word(int red, int green, int blue) {
    return static_cast<std::uint16_t>(((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3));
}

}  // namespace tx
