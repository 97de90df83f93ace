// The preview of the picture being sent.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/ScreenPicture.h"
#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "transmitter/Preview.h"

TEST(Preview, PaintsThePictureSqueezedAndUprightAtFifteenFifteen) {
    // White upper half, black lower half (row 0 is the bottom row).
    tx::ScreenPicture picture;
    for (int row = tx::PictureRows / 2; row < tx::PictureRows; ++row)
        for (int column = 0; column < tx::PictureColumns; ++column)
            tx::setPictureWord(picture, row, column, tx::WhiteWord);
    const win::HWND window = dialog::createDialog("preview", 0, 0, 160, 100, win::WS_SYSMENU, 0);
    showPreview(window, picture);

    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels(96 * 95);
    ASSERT_TRUE(dialog::pictureAt(window, 15, 15, width, height, pixels.data(), 96 * 95));
    EXPECT_EQ(width, 96);
    EXPECT_EQ(height, 95);
    EXPECT_EQ(pixels[5] & 0xFFFFFF, 0xFFFFFFu);  // upright: white on top
    EXPECT_EQ(pixels[94 * 96 + 5] & 0xFFFFFF, 0u);
    showPreview(nullptr, picture);  // no window, nothing painted, no crash
    dialog::sendCloseBox(window);
    dialog::processPendingEvents();
}
