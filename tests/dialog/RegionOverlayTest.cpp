// Choosing the region on the full-screen picture of the screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "dialog/StationQuestions.h"
#include "dialog/StationReadBack.h"

namespace {

// A picture twice the screen's size, so that the overlay shows it halved,
// placed on the desktop at (left, top).
core::ScreenImage screenPicture(int left, int top) {
    const QSize size = QGuiApplication::primaryScreen()->geometry().size() * 2;
    core::ScreenImage image;
    image.left = left;
    image.top = top;
    image.width = size.width();
    image.height = size.height();
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0xFF336699u);
    return image;
}

// Chooses with one click at (x, y) of the overlay, by that button.
bool chooseByClick(const core::ScreenImage& image, int x, int y, bool left, int& chosenX, int& chosenY) {
    bool clicked = false;
    QTimer::singleShot(0, [&] { clicked = dialog::clickRegionOverlay(x, y, left); });
    const bool chosen = dialog::chooseRegion(image, 96, 120, chosenX, chosenY);
    EXPECT_TRUE(clicked);
    return chosen;
}

}  // namespace

TEST(RegionOverlay, AClickPlacesTheFrameCentredOnThePointer) {
    const core::ScreenImage image = screenPicture(-100, 50);
    int x = 0, y = 0;
    ASSERT_TRUE(chooseByClick(image, 300, 200, true, x, y));
    // The overlay shows the picture at half size: (300, 200) is (600, 400)
    // of the picture, and the frame's corner lies half a frame up and left.
    EXPECT_EQ(x, -100 + 600 - 48);
    EXPECT_EQ(y, 50 + 400 - 60);
}

TEST(RegionOverlay, TheFrameStaysOnThePicture) {
    const core::ScreenImage image = screenPicture(0, 0);
    int x = -1, y = -1;
    ASSERT_TRUE(chooseByClick(image, 0, 0, true, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    ASSERT_TRUE(chooseByClick(image, 100000, 100000, true, x, y));
    EXPECT_EQ(x, image.width - 96);
    EXPECT_EQ(y, image.height - 120);
}

TEST(RegionOverlay, AnotherButtonCancelsAndNothingIsShownWithoutAPicture) {
    const core::ScreenImage image = screenPicture(0, 0);
    int x = 7, y = 8;
    EXPECT_FALSE(chooseByClick(image, 300, 200, false, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
    EXPECT_FALSE(dialog::chooseRegion(core::ScreenImage{}, 96, 120, x, y));
    int width = 0, height = 0;
    EXPECT_FALSE(dialog::regionOverlaySize(width, height));
}
