// Cutting the picture out of a screen-cast frame: byte orders, row order,
// clipping at every edge, and frames whose buffer is shorter than they say.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ScreenPixels.h"

using namespace tx;
using platform::PixelFrame;
using platform::PixelOrder;

namespace {

// A 100 x 130 frame with stride 420 whose pixel (x, y) has red x, green y
// and blue 255 - x, in the given byte order.
std::vector<std::uint8_t> framePixels(PixelOrder order) {
    const int red = order == PixelOrder::BGRx ? 2 : order == PixelOrder::RGBx ? 0 : order == PixelOrder::xRGB ? 1 : 3;
    const int blue = order == PixelOrder::BGRx ? 0 : order == PixelOrder::RGBx ? 2 : order == PixelOrder::xRGB ? 3 : 1;
    std::vector<std::uint8_t> bytes(420 * 130, 0xEE);
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < 100; ++x) {
            std::uint8_t* p = &bytes[static_cast<std::size_t>(y * 420 + x * 4)];
            p[red] = static_cast<std::uint8_t>(x);
            p[order == PixelOrder::xRGB || order == PixelOrder::xBGR ? 2 : 1] = static_cast<std::uint8_t>(y);
            p[blue] = static_cast<std::uint8_t>(255 - x);
        }
    return bytes;
}

std::uint16_t wordOf(int x, int y) {
    return static_cast<std::uint16_t>((x >> 3) << 10 | (y >> 3) << 5 | (255 - x) >> 3);
}

}  // namespace

TEST(ScreenPixels, EveryByteOrderGivesTheSameWordsTopRowLastAndClipsAtTheEdges) {
    for (PixelOrder order : {PixelOrder::BGRx, PixelOrder::RGBx, PixelOrder::xRGB, PixelOrder::xBGR}) {
        const std::vector<std::uint8_t> bytes = framePixels(order);
        const PixelFrame frame{bytes.data(), bytes.size(), 100, 130, 420, order};
        ScreenPicture picture;
        platform::cutPictureFromFrame(frame, 10, 5, picture);
        EXPECT_EQ(pictureWord(picture, 119, 0), wordOf(10, 5));
        EXPECT_EQ(pictureWord(picture, 0, 89), wordOf(99, 124));
        EXPECT_EQ(pictureWord(picture, 0, 90), 0);  // right of the frame
        ScreenPicture offLeftTop;
        platform::cutPictureFromFrame(frame, -3, -2, offLeftTop);
        EXPECT_EQ(pictureWord(offLeftTop, 119, 2), 0);
        EXPECT_EQ(pictureWord(offLeftTop, 117, 2), 0);
        EXPECT_EQ(pictureWord(offLeftTop, 117, 3), wordOf(0, 0));
    }
}

TEST(ScreenPixels, RowsTheBufferDoesNotHoldAndBadFramesStayBlack) {
    const std::vector<std::uint8_t> bytes = framePixels(PixelOrder::BGRx);
    // The buffer ends half-way through row 40.
    const PixelFrame shortFrame{bytes.data(), 420 * 40 + 200, 100, 130, 420, PixelOrder::BGRx};
    ScreenPicture picture;
    platform::cutPictureFromFrame(shortFrame, 0, 0, picture);
    EXPECT_EQ(pictureWord(picture, 119 - 39, 0), wordOf(0, 39));
    EXPECT_EQ(pictureWord(picture, 119 - 40, 0), 0);
    const ScreenPicture black;
    for (const PixelFrame& bad : {PixelFrame{nullptr, bytes.size(), 100, 130, 420, PixelOrder::BGRx},
                                  PixelFrame{bytes.data(), bytes.size(), 100, 130, 399, PixelOrder::BGRx},
                                  PixelFrame{bytes.data(), bytes.size(), 0, 130, 420, PixelOrder::BGRx}}) {
        ScreenPicture untouched;
        platform::cutPictureFromFrame(bad, 0, 0, untouched);
        EXPECT_EQ(untouched.words, black.words);
    }
    ScreenPicture far;
    platform::cutPictureFromFrame(shortFrame, 2147483647, -2147483647 - 1, far);
    EXPECT_EQ(far.words, black.words);
}
