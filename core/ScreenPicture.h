#pragma once
// The transmitter's picture of one frame: 96 columns by 120 rows of 16-bit
// pixel words (bits 14-10 red, 9-5 green, 4-0 blue, bit 15 zero), made
// afresh for every frame. Row 0 is the bottom row of the grabbed region,
// row 119 its top row; the column index runs fastest, so the words have the
// memory layout of a bottom-up 16-bit bitmap of 96 x 120 pixels.
#include <array>
#include <cstdint>

namespace tx {

constexpr int PictureColumns = 96;
constexpr int PictureRows = 120;
constexpr int PictureWords = PictureColumns * PictureRows;
constexpr std::uint16_t WhiteWord = 0x7FFF;

struct ScreenPicture {
    std::array<std::uint16_t, PictureWords> words{};  // zero-filled: black
};

inline std::uint16_t pictureWord(const ScreenPicture& picture, int row, int column) {
    return picture.words[static_cast<std::size_t>(row * PictureColumns + column)];
}

inline void setPictureWord(ScreenPicture& picture, int row, int column, std::uint16_t word) {
    picture.words[static_cast<std::size_t>(row * PictureColumns + column)] = word;
}

}  // namespace tx
