#pragma once
// The received picture: a grey raster 96 pixels wide that lives for the
// whole run. Rows 0..600, row 0 at the bottom, each pixel three bytes
// (blue, green, red) holding the same level; rows follow each other directly
// in memory. Rows 0..119 are shown.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "viewer/ReceiverSettings.h"

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
// A not-a-number gives 0.
std::uint8_t signalLevel(float v, const ReceiverSettings& settings);

// Writes row r of line k (k = 0..31 at column 93 - 3k, row r from 0 up)
// with the level of v, and fills the two pixels toward the previous line's
// column by linear interpolation; for line 0 that is column 0 of row r + 1.
// Rows above HighestPlottedRow, and lines outside 0..31, are not written.
void plotSample(PictureStore& store, int k, int r, float v, const ReceiverSettings& settings);

// The spot reading of the signal shown after every frame:
// floor(1000 * VideoSignal[1000]); a not-a-number stays one.
double pictureLevel(const float* videoSignal);
