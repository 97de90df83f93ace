// The picture store: level mapping, in-between pixels, the level reading.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "tests/signal/ReceiverSignalHelpers.h"
#include "viewer/PictureStore.h"

using namespace rx;

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

int levelAt(const PictureStore& store, int x, int row) {
    const std::uint8_t* p = store.bytes.data() + row * PictureRowBytes + x * BytesPerPixel;
    EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << "pixel (" << x << ", " << row << ") is not grey";
    return p[1];
}

// Contrast 1 and brightness 50 map a value to itself, rounded and clamped.
ReceiverSettings identity() {
    ReceiverSettings s = startSettings();
    s.contrast = 1;
    s.brightness = 50;
    return s;
}

}  // namespace

TEST(ReceiverPicture, LevelMapping) {
    const ReceiverSettings fm = startSettings();
    ReceiverSettings am = fm;
    am.contrast = 7;
    am.brightness = 350;
    const std::pair<float, int> fmCases[] = {{0.0f, 227}, {0.0611f, 254}, {0.0612f, 255}, {-0.5030f, 1}, {-0.5055f, 0}};
    for (auto [v, level] : fmCases) EXPECT_EQ(int{signalLevel(v, fm)}, level) << v;
    for (auto [v, level] : {std::pair{0.0f, 255}, {-10.0f, 230}, {-32.0f, 76}}) EXPECT_EQ(int{signalLevel(v, am)}, level) << v;
    const ReceiverSettings s = identity();
    const std::pair<float, int> edges[] = {{100.5f, 100}, {101.5f, 102}, {254.5f, 254}, {-0.5f, 0}, {NaN, 0},
                                           {3e38f, 255}, {-3e38f, 0}, {std::numeric_limits<float>::infinity(), 255}};
    for (auto [v, level] : edges) EXPECT_EQ(int{signalLevel(v, s)}, level) << v;
}

TEST(ReceiverPicture, LevelMappingRoundsAsNearbyintDoes) {
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        ReceiverSettings s = startSettings();
        s.contrast = static_cast<int>(random() % 1025);
        s.brightness = static_cast<int>(random() % 513);
        float v = std::uniform_real_distribution<float>(-2.0f, 2.0f)(random);
        if (i % 2 == 1) {  // y exactly on a half
            s.contrast = 1;
            v = static_cast<float>(static_cast<int>(random() % 1800) - 600) / 2.0f;
        }
        const double y = double(s.contrast) * double(v) + double(s.brightness) - 50.0;
        ASSERT_EQ(int{signalLevel(v, s)}, static_cast<int>(std::clamp(std::nearbyint(y), 0.0, 255.0)))
            << "v " << v << " contrast " << s.contrast << " brightness " << s.brightness;
    }
}

TEST(ReceiverPicture, InBetweenPixelsBlendTowardThePreviousLine) {
    PictureStore store;
    const ReceiverSettings s = identity();
    plotSample(store, 4, 10, 201.0f, s);  // column 81
    plotSample(store, 5, 10, 100.0f, s);  // column 78
    EXPECT_EQ(std::vector<int>({levelAt(store, 78, 10), levelAt(store, 79, 10), levelAt(store, 80, 10), levelAt(store, 81, 10)}),
              std::vector<int>({100, 134, 167, 201}));
    // Line 0 blends with column 0 of the row above: black in the first
    // frame, then what line 31 left there.
    plotSample(store, 0, 7, 255.0f, s);
    EXPECT_EQ(std::vector<int>({levelAt(store, 93, 7), levelAt(store, 94, 7), levelAt(store, 95, 7)}), std::vector<int>({255, 170, 85}));
    plotSample(store, 31, 8, 201.0f, s);
    plotSample(store, 0, 7, 100.0f, s);
    EXPECT_EQ(std::vector<int>({levelAt(store, 94, 7), levelAt(store, 95, 7), levelAt(store, 0, 8)}), std::vector<int>({134, 167, 201}));
    plotSample(store, 2, 3, NaN, s);  // black, next to black
    EXPECT_EQ(levelAt(store, 87, 3) + levelAt(store, 88, 3) + levelAt(store, 89, 3), 0);
}

TEST(ReceiverPicture, PlotStaysInsideTheStore) {
    PictureStore store;
    const ReceiverSettings s = identity();
    plotSample(store, 0, HighestPlottedRow, 200.0f, s);  // reads row 600
    for (int r : {600, 601, 100000, -1}) plotSample(store, 0, r, 200.0f, s);
    for (int k : {-1, 32}) plotSample(store, k, 10, 200.0f, s);
    EXPECT_EQ(store.bytes.size() - std::count(store.bytes.begin(), store.bytes.end(), 0), 9u);
    EXPECT_EQ(levelAt(store, 93, HighestPlottedRow), 200);
}

TEST(ReceiverPicture, PictureLevelIsTheFloorOfAThousandTimesPosition1000) {
    std::vector<float> signal(VideoSignalLength, 5.0f);
    for (auto [v, level] : {std::pair{0.3095f, 309.0}, {-0.0004f, -1.0}, {-0.309f, -309.0}, {12.5f, 12500.0}}) {
        signal[1000] = v;
        EXPECT_EQ(pictureLevel(signal.data()), level) << v;
    }
    signal[1000] = NaN;
    EXPECT_TRUE(std::isnan(pictureLevel(signal.data())));
}
