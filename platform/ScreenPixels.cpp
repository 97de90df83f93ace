#include "platform/ScreenPixels.h"

#include <algorithm>

namespace platform {

namespace {

struct ByteOffsets {
    int red, green, blue;
};

ByteOffsets offsetsOf(PixelOrder order) {
    switch (order) {
        case PixelOrder::RGBx: return {0, 1, 2};
        case PixelOrder::xRGB: return {1, 2, 3};
        case PixelOrder::xBGR: return {3, 2, 1};
        case PixelOrder::BGRx: break;
    }
    return {2, 1, 0};
}

}  // namespace

void cutPictureFromFrame(const PixelFrame& frame, int regionX, int regionY, tx::ScreenPicture& picture) {
    if (frame.data == nullptr || frame.width <= 0 || frame.height <= 0 ||
        frame.stride < frame.width * 4)
        return;
    const ByteOffsets at = offsetsOf(frame.order);
    // The columns of the region that lie on the frame, in 64 bits so that
    // no region position can overflow.
    const std::int64_t left = std::max<std::int64_t>(0, -std::int64_t{regionX});
    const std::int64_t right =
        std::min<std::int64_t>(tx::PictureColumns, std::int64_t{frame.width} - regionX);
    for (int y = 0; y < tx::PictureRows; ++y) {
        const std::int64_t frameRow = std::int64_t{regionY} + y;
        if (frameRow < 0 || frameRow >= frame.height) continue;
        const std::size_t rowStart = static_cast<std::size_t>(frameRow) * static_cast<std::size_t>(frame.stride);
        if (rowStart + static_cast<std::size_t>(frame.width) * 4 > frame.size) continue;
        const std::uint8_t* row = frame.data + rowStart;
        for (std::int64_t column = left; column < right; ++column) {
            const std::uint8_t* pixel = row + (regionX + column) * 4;
            const auto word = static_cast<std::uint16_t>(((pixel[at.red] >> 3) << 10) |
                                                         ((pixel[at.green] >> 3) << 5) |
                                                         (pixel[at.blue] >> 3));
            tx::setPictureWord(picture, tx::PictureRows - 1 - y, static_cast<int>(column), word);
        }
    }
}

}  // namespace platform
