#include "tests/common/SentSound.h"

#include "tests/common/SentSignal.h"

std::vector<std::uint8_t> sentSound(const std::vector<std::uint8_t>& grey, bool lineSync, int frames,
                                    double ppm, double from) {
    const tx::ScreenPicture picture = greyPicture(
        [&](int row, int column) { return grey[static_cast<std::size_t>(row * tx::PictureColumns + column)]; });
    return eightBit(recorded(sentFrames(picture, lineSync, frames), ppm, from));
}
