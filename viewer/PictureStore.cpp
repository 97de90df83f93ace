#include "viewer/PictureStore.h"

#include <cmath>

std::uint8_t signalLevel(float v, const ReceiverSettings& settings) {
    const double y = static_cast<double>(settings.contrast) * static_cast<double>(v) +
                     static_cast<double>(settings.brightness) - 50.0;
    const double rounded = std::nearbyint(y);
    if (!(rounded > 0.0)) return 0;  // not-a-number included
    if (rounded >= 255.0) return 255;
    return static_cast<std::uint8_t>(rounded);
}

void plotSample(PictureStore& store, int k, int r, float v, const ReceiverSettings& settings) {
    if (k < 0 || k > 31 || r < 0 || r > HighestPlottedRow) return;
    const int x = 93 - 3 * k;
    const std::uint8_t level = signalLevel(v, settings);
    std::uint8_t* pixel = store.bytes.data() + std::size_t(r) * PictureRowBytes + std::size_t(x) * BytesPerPixel;
    // The pixel three further on: line k-1's, or for line 0 column 0 of the
    // row above.
    const std::uint8_t* previous = pixel + 3 * BytesPerPixel;
    for (int b = 0; b < BytesPerPixel; ++b) {
        const int old = previous[b];
        pixel[b] = level;
        // Thirds never fall halfway, so adding 1 before dividing rounds.
        pixel[BytesPerPixel + b] = static_cast<std::uint8_t>((2 * level + old + 1) / 3);
        pixel[2 * BytesPerPixel + b] = static_cast<std::uint8_t>((level + 2 * old + 1) / 3);
    }
}

double pictureLevel(const float* videoSignal) {
    return std::floor(1000.0 * static_cast<double>(videoSignal[PictureLevelPosition]));
}
