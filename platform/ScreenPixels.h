#pragma once
// Cutting the transmitter's 96 x 120 picture out of a frame of 32-bit
// pixels, as screen-cast video streams deliver them. No toolkit here.
#include <cstddef>
#include <cstdint>

#include "core/ScreenPicture.h"

namespace platform {

// Where red, green and blue sit in the four bytes of a pixel, in memory
// order; the fourth byte (padding or alpha) is not read: a screen is opaque.
enum class PixelOrder { BGRx, RGBx, xRGB, xBGR };

struct PixelFrame {
    const std::uint8_t* data = nullptr;  // the top row's first pixel
    std::size_t size = 0;                // bytes readable from data on
    int width = 0;
    int height = 0;
    int stride = 0;                      // bytes from one row to the next
    PixelOrder order = PixelOrder::BGRx;
};

// Copies the region whose top-left corner is at (regionX, regionY) of the
// frame into the picture, in the words and row order of the screen grab
// (the region's top row goes to picture row 119). Pixels off the frame, and
// rows the frame's size does not hold, are left as they are (black in a
// fresh picture).
void cutPictureFromFrame(const PixelFrame& frame, int regionX, int regionY, tx::ScreenPicture& picture);

}  // namespace platform
