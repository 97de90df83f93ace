#pragma once
// Turning Qt pictures into the transmitter's 16-bit pixel words. Shared by
// the screen grab and the picture-file reader so that both give the same
// words for the same colours.
#include <QImage>
#include <cstdint>

#include "core/Rgb555.h"
#include "core/ScreenPicture.h"

namespace platform {

inline std::uint16_t rgb555Word(QRgb colour) {
    return tx::rgb555Word(qRed(colour), qGreen(colour), qBlue(colour));
}

// Copies the image into the picture with the image's top-left pixel at
// (left, top), counted in pixels from the picture's top-left corner; the
// picture's rows run bottom-up, so the top of the image goes to the high
// rows. Parts of the image outside the picture are left out. Transparent
// pixels count as drawn over black.
inline void copyImageToPicture(const QImage& image, int left, int top, tx::ScreenPicture& picture) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pixels.height(); ++y) {
        const int topRow = top + y;
        if (topRow < 0 || topRow >= tx::PictureRows) continue;
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const int column = left + x;
            if (column < 0 || column >= tx::PictureColumns) continue;
            tx::setPictureWord(picture, tx::PictureRows - 1 - topRow, column, rgb555Word(line[x]));
        }
    }
}

// The whole image as the picture: scaled to 96 x 120 pixels (smoothly,
// the aspect not kept) when it has another size. Picture files, camera
// frames and what nbtvcodec encodes all come to the signal this one way.
inline void fitImageToPicture(const QImage& image, tx::ScreenPicture& picture) {
    picture = tx::ScreenPicture{};
    if (image.width() == tx::PictureColumns && image.height() == tx::PictureRows) {
        copyImageToPicture(image, 0, 0, picture);
        return;
    }
    copyImageToPicture(image.scaled(tx::PictureColumns, tx::PictureRows, Qt::IgnoreAspectRatio,
                                    Qt::SmoothTransformation),
                       0, 0, picture);
}

}  // namespace platform
