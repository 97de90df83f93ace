// The tuning display's numbers: the level meter, and where the
// transmitter's tones fall at each rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/common/ToneBytes.h"
#include "viewer/InputLevel.h"

namespace {


}  // namespace

TEST(InputLevel, LevelMeterPeakRmsAndClipping) {
    const std::vector<std::uint8_t> quiet = sine(1250, 10000, 4000, 64);  // the crest is sampled
    const rx::InputLevel level = rx::inputLevel(quiet.data(), 4000);
    EXPECT_NEAR(level.peak, 0.5, 0.01);
    EXPECT_NEAR(level.rms, 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_FALSE(level.clipped);
    std::vector<std::uint8_t> loud = quiet;
    loud[1234] = 255;
    EXPECT_TRUE(rx::inputLevel(loud.data(), 4000).clipped);
    loud[1234] = 0;
    EXPECT_TRUE(rx::inputLevel(loud.data(), 4000).clipped);
    EXPECT_EQ(rx::inputLevel(loud.data(), 0).peak, 0);
}

TEST(InputLevel, ToneMarkersScaleWithTheRate) {
    const std::array<double, 3> at10000 = rx::toneMarkers(10000);
    EXPECT_DOUBLE_EQ(at10000[0], 1727.7);
    EXPECT_DOUBLE_EQ(at10000[1], 2348.4);
    EXPECT_DOUBLE_EQ(at10000[2], 2969.0);
    const std::array<double, 3> at8000 = rx::toneMarkers(8000);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(at8000[i], at10000[i] * 0.8, 1e-9);
}
