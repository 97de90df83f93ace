#pragma once
// A picture of a whole screen (or of a screen-cast monitor), for choosing
// where the transmitter's region lies: 32-bit 0xAARRGGBB pixels, the top
// row first. Its pixel (x, y) is region position (left + x, top + y).
#include <cstdint>
#include <vector>

namespace core {

struct ScreenImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height
};

}  // namespace core
