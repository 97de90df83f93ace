#pragma once
// The received picture: a grey raster 96 pixels wide that lives for the
// whole run. Rows 0..600, row 0 at the bottom, each pixel three bytes
// (blue, green, red) holding the same level; rows follow each other directly
// in memory. Rows 0..119 are shown.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "viewer/ReceiverSettings.h"

namespace rx {

constexpr int PictureWidth = 96;
constexpr int PictureRows = 601;
constexpr int ShownRows = 120;
constexpr int BytesPerPixel = 3;
constexpr int PictureRowBytes = PictureWidth * BytesPerPixel;  // 288, no padding
constexpr std::size_t PictureStoreBytes = std::size_t{PictureRows} * PictureRowBytes;
// Line 0 blends with the row above, so the highest row a line may write.
constexpr int HighestPlottedRow = PictureRows - 2;
// The signal position whose level the "Picture level" readout shows.
constexpr std::size_t PictureLevelPosition = 1000;

struct PictureStore {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(PictureStoreBytes, 0);
};

// The grey level of a signal value: contrast * v + brightness - 50, rounded
// to the nearest whole number (halves to even) and clamped to 0..255.
// A not-a-number gives 0. Runs for every picture sample, hence inline and
// without branches.
[[gnu::always_inline]] inline std::uint8_t signalLevel(float v, const ReceiverSettings& settings) {
    double y = static_cast<double>(settings.contrast) * static_cast<double>(v) +
               static_cast<double>(settings.brightness) - 50.0;
    // Clamping to 0..255 before rounding gives the same levels as after,
    // and takes not-a-number to 0.
    y = y > 0.0 ? y : 0.0;
    y = y < 255.0 ? y : 255.0;
    // Adding and taking away 1.5 * 2^52 rounds to the nearest whole number,
    // halves to even, exactly as std::nearbyint does in the default
    // rounding mode.
    constexpr double Rounder = 6755399441055744.0;
    return static_cast<std::uint8_t>((y + Rounder) - Rounder);
}

// Writes row r of line k (k = 0..31 at column 93 - 3k, row r from 0 up)
// with the level of v, and fills the two pixels toward the previous line's
// column by linear interpolation; for line 0 that is column 0 of row r + 1.
// Rows above HighestPlottedRow, and lines outside 0..31, are not written.
// `storeBytes` is the store's first byte.
[[gnu::always_inline]] inline void plotSample(std::uint8_t* storeBytes, int k, int r, float v,
                       const ReceiverSettings& settings) {
    if (k < 0 || k > 31 || r < 0 || r > HighestPlottedRow) return;
    const int x = 93 - 3 * k;
    const int level = signalLevel(v, settings);
    std::uint8_t* pixel =
        storeBytes + std::size_t(r) * PictureRowBytes + std::size_t(x) * BytesPerPixel;
    // The pixel three further on: line k-1's, or for line 0 column 0 of the
    // row above. Each byte blends with the same byte of it.
    const std::uint8_t* previous = pixel + 3 * BytesPerPixel;
    const int old0 = previous[0], old1 = previous[1], old2 = previous[2];
    // Thirds never fall halfway, so adding 1 before dividing rounds.
    const auto near = [level](int old) { return static_cast<std::uint8_t>((2 * level + old + 1) / 3); };
    const auto far = [level](int old) { return static_cast<std::uint8_t>((level + 2 * old + 1) / 3); };
    if (std::endian::native == std::endian::little && old0 == old1 && old1 == old2) {
        // Grey, as every pixel written here: the nine bytes L L L N N N F F F
        // go as one store of eight and one of one.
        const std::uint64_t l = static_cast<std::uint64_t>(level), n = near(old0), f = far(old0);
        const std::uint64_t first = (l * 0x010101u) | (n * 0x010101u) << 24 | (f * 0x0101u) << 48;
        std::memcpy(pixel, &first, sizeof first);
        pixel[8] = static_cast<std::uint8_t>(f);
    } else {
        pixel[0] = pixel[1] = pixel[2] = static_cast<std::uint8_t>(level);
        pixel[3] = near(old0);
        pixel[4] = near(old1);
        pixel[5] = near(old2);
        pixel[6] = far(old0);
        pixel[7] = far(old1);
        pixel[8] = far(old2);
    }
}

inline void plotSample(PictureStore& store, int k, int r, float v,
                       const ReceiverSettings& settings) {
    plotSample(store.bytes.data(), k, r, v, settings);
}

// The spot reading of the signal shown after every frame:
// floor(1000 * VideoSignal[1000]); a not-a-number stays one.
double pictureLevel(const float* videoSignal);

}  // namespace rx
