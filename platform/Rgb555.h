#pragma once
// Turning Qt pictures into the transmitter's 16-bit pixel words: each 8-bit
// colour component keeps its top five bits, red in bits 14-10, green in
// 9-5, blue in 4-0. Shared by the screen grab and the picture-file reader
// so that both give the same words for the same colours.
#include <QImage>
#include <cstdint>

#include "transmitter/ScreenPicture.h"

namespace platform {

inline std::uint16_t rgb555Word(QRgb colour) {
    return static_cast<std::uint16_t>(((qRed(colour) >> 3) << 10) | ((qGreen(colour) >> 3) << 5) |
                                      (qBlue(colour) >> 3));
}

// Copies the image into the picture with the image's top-left pixel at
// (left, top), counted in pixels from the picture's top-left corner; the
// picture's rows run bottom-up, so the top of the image goes to the high
// rows. Parts of the image outside the picture are left out. Transparent
// pixels count as drawn over black.
inline void copyImageToPicture(const QImage& image, int left, int top, ScreenPicture& picture) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pixels.height(); ++y) {
        const int topRow = top + y;
        if (topRow < 0 || topRow >= PictureRows) continue;
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const int column = left + x;
            if (column < 0 || column >= PictureColumns) continue;
            setPictureWord(picture, PictureRows - 1 - topRow, column, rgb555Word(line[x]));
        }
    }
}

}  // namespace platform
