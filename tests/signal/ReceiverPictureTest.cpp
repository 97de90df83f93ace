// The picture store: level mapping, plotting with in-between pixels, and
// the picture-level reading.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>
#include <random>

#include "tests/signal/ReceiverSignalHelpers.h"
#include "viewer/PictureStore.h"

namespace {

int levelAt(const PictureStore& store, int x, int row) {
    const std::uint8_t* p = store.bytes.data() + row * PictureRowBytes + x * BytesPerPixel;
    EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << "pixel (" << x << ", " << row << ") not grey";
    return p[1];
}

ReceiverSettings amSettings() {
    ReceiverSettings s = startSettings();
    s.demodMode = DemodAM;
    s.polarity = -1;
    s.contrast = 7;
    s.brightness = 350;
    return s;
}

// contrast 1, brightness 50: the level is v itself, rounded and clamped.
ReceiverSettings identitySettings() {
    ReceiverSettings s = startSettings();
    s.contrast = 1;
    s.brightness = 50;
    return s;
}

}  // namespace

TEST(ReceiverPicture, LevelMappingAtTheStartValues) {
    const ReceiverSettings fm = startSettings();
    EXPECT_EQ(int{signalLevel(0.0f, fm)}, 227);
    EXPECT_EQ(int{signalLevel(0.0612f, fm)}, 255);
    EXPECT_EQ(int{signalLevel(0.0611f, fm)}, 254);  // y = 254.495
    EXPECT_EQ(int{signalLevel(-0.5055f, fm)}, 0);   // y = -0.475 rounds to 0
    EXPECT_EQ(int{signalLevel(-0.5030f, fm)}, 1);   // y = 0.65
    EXPECT_EQ(int{signalLevel(-0.5070f, fm)}, 0);

    const ReceiverSettings am = amSettings();
    EXPECT_EQ(int{signalLevel(0.0f, am)}, 255);
    EXPECT_EQ(int{signalLevel(-10.0f, am)}, 230);
    EXPECT_EQ(int{signalLevel(-32.0f, am)}, 76);
}

TEST(ReceiverPicture, LevelMappingRoundsHalvesToEvenAndClampsAnything) {
    const ReceiverSettings s = identitySettings();
    EXPECT_EQ(int{signalLevel(100.5f, s)}, 100);
    EXPECT_EQ(int{signalLevel(101.5f, s)}, 102);
    EXPECT_EQ(int{signalLevel(0.5f, s)}, 0);
    EXPECT_EQ(int{signalLevel(254.5f, s)}, 254);
    EXPECT_EQ(int{signalLevel(-0.5f, s)}, 0);
    EXPECT_EQ(int{signalLevel(std::numeric_limits<float>::quiet_NaN(), s)}, 0);
    EXPECT_EQ(int{signalLevel(std::numeric_limits<float>::infinity(), s)}, 255);
    EXPECT_EQ(int{signalLevel(-std::numeric_limits<float>::infinity(), s)}, 0);
    EXPECT_EQ(int{signalLevel(3e38f, s)}, 255);
    EXPECT_EQ(int{signalLevel(-3e38f, s)}, 0);
    ReceiverSettings extreme = s;
    extreme.contrast = 2147483647;
    extreme.brightness = -2147483647 - 1;
    EXPECT_EQ(int{signalLevel(1.0f, extreme)}, 0);  // 2^31 - 1 - 2^31 - 50
}

TEST(ReceiverPicture, LevelMappingAgreesWithNearbyintEverywhere) {
    // The mapping's rounding is its own; it must give what rounding with
    // std::nearbyint and clamping would, for any settings and value.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> contrast(0, 1024), brightness(0, 512), halves(-600, 1200);
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    for (int i = 0; i < 200000; ++i) {
        ReceiverSettings s = startSettings();
        s.contrast = contrast(random);
        s.brightness = brightness(random);
        // Every other case lands y on a half: contrast 1, v = h / 2.
        float v = value(random);
        if (i % 2 == 1) {
            s.contrast = 1;
            v = static_cast<float>(halves(random)) / 2.0f;
        }
        const double y = double(s.contrast) * double(v) + double(s.brightness) - 50.0;
        const double expected = std::clamp(std::nearbyint(y), 0.0, 255.0);
        ASSERT_EQ(int{signalLevel(v, s)}, static_cast<int>(expected))
            << "v " << v << " contrast " << s.contrast << " brightness " << s.brightness;
    }
}

TEST(ReceiverPicture, PlotFillsInBetweenPixelsTowardThePreviousLine) {
    PictureStore store;
    const ReceiverSettings s = identitySettings();
    plotSample(store, 4, 10, 201.0f, s);  // line 4 at column 81
    plotSample(store, 5, 10, 100.0f, s);  // line 5 at column 78
    EXPECT_EQ(levelAt(store, 81, 10), 201);
    EXPECT_EQ(levelAt(store, 78, 10), 100);
    EXPECT_EQ(levelAt(store, 79, 10), 134);
    EXPECT_EQ(levelAt(store, 80, 10), 167);

    plotSample(store, 31, 5, 255.0f, s);  // column 0 next to black column 3
    EXPECT_EQ(levelAt(store, 0, 5), 255);
    EXPECT_EQ(levelAt(store, 1, 5), 170);
    EXPECT_EQ(levelAt(store, 2, 5), 85);
    EXPECT_EQ(levelAt(store, 3, 5), 0);
}

TEST(ReceiverPicture, LineZeroBlendsWithColumnZeroOfTheRowAbove) {
    PictureStore store;
    const ReceiverSettings s = identitySettings();
    // First frame: nothing above yet, so line 0 blends toward black.
    plotSample(store, 0, 7, 255.0f, s);
    EXPECT_EQ(levelAt(store, 93, 7), 255);
    EXPECT_EQ(levelAt(store, 94, 7), 170);
    EXPECT_EQ(levelAt(store, 95, 7), 85);
    // Line 31 of that frame writes column 0 of row 8; the next frame's
    // line 0 at row 7 blends with it.
    plotSample(store, 31, 8, 201.0f, s);
    plotSample(store, 0, 7, 100.0f, s);
    EXPECT_EQ(levelAt(store, 94, 7), 134);
    EXPECT_EQ(levelAt(store, 95, 7), 167);
    EXPECT_EQ(levelAt(store, 0, 8), 201);  // only read
}

TEST(ReceiverPicture, PlotStaysInsideTheStore) {
    PictureStore store;
    const ReceiverSettings s = identitySettings();
    plotSample(store, 0, HighestPlottedRow, 200.0f, s);  // blends with row 600
    EXPECT_EQ(levelAt(store, 93, HighestPlottedRow), 200);
    for (int r : {600, 601, 100000, -1})
        for (int k : {0, 31}) plotSample(store, k, r, 200.0f, s);
    for (int k : {-1, 32, 1000}) plotSample(store, k, 10, 200.0f, s);
    std::size_t written = 0;
    for (std::uint8_t b : store.bytes) written += b != 0;
    EXPECT_EQ(written, 9u);  // the one plotted sample: three pixels of three bytes
    EXPECT_EQ(store.bytes.size(), PictureStoreBytes);
}

TEST(ReceiverPicture, NotANumberPlotsBlack) {
    PictureStore store;
    std::fill(store.bytes.begin(), store.bytes.end(), std::uint8_t{99});
    plotSample(store, 2, 3, std::numeric_limits<float>::quiet_NaN(), startSettings());
    EXPECT_EQ(levelAt(store, 87, 3), 0);
    EXPECT_EQ(levelAt(store, 88, 3), 33);
    EXPECT_EQ(levelAt(store, 89, 3), 66);
}

TEST(ReceiverPicture, PictureLevelIsTheFloorOfAThousandTimesPosition1000) {
    std::vector<float> signal(VideoSignalLength, 0.0f);
    const std::pair<float, double> cases[] = {
        {0.3095f, 309.0}, {-0.0004f, -1.0}, {0.0f, 0.0}, {-0.309f, -309.0}, {12.5f, 12500.0}};
    for (auto [v, level] : cases) {
        signal[1000] = v;
        EXPECT_EQ(pictureLevel(signal.data()), level) << v;
    }
    signal[999] = signal[1001] = 5.0f;
    signal[1000] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(std::isnan(pictureLevel(signal.data())));
}
