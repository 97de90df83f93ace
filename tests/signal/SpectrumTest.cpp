// The tuning display's numbers: where a tone peaks, the level meter, and
// where the transmitter's tones fall at each rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "viewer/Spectrum.h"

namespace {

std::vector<std::uint8_t> sine(double hz, int rate, int count, double amplitude) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        bytes[static_cast<std::size_t>(n)] =
            static_cast<std::uint8_t>(128 + std::lround(amplitude * std::sin(2 * M_PI * hz * n / rate)));
    return bytes;
}

int strongestBin(const std::vector<float>& levels) {
    return static_cast<int>(std::max_element(levels.begin(), levels.end()) - levels.begin());
}

}  // namespace

TEST(Spectrum, ToneOfTwoThousandHertzPeaksInItsBinAtEitherRate) {
    rx::Spectrum spectrum;
    for (int rate : {10000, 8000}) {
        const std::vector<std::uint8_t> bytes = sine(2000, rate, 3841, 100);
        const std::vector<float>& levels = spectrum.analyse(bytes.data(), 3841);
        ASSERT_EQ(levels.size(), static_cast<std::size_t>(rx::SpectrumBins));
        const int bin = strongestBin(levels);
        EXPECT_DOUBLE_EQ(bin * double(rate) / rx::SpectrumLength, 2000.0) << rate;
        // Amplitude 100 of 128: about -2.1 dB; far bins lie deep below.
        EXPECT_NEAR(levels[bin], 20 * std::log10(100.0 / 128), 0.3);
        EXPECT_LT(levels[bin / 2], levels[bin] - 40);
    }
    // A short frame is padded with silence and still peaks there.
    const std::vector<std::uint8_t> shortFrame = sine(3000, 10000, 1000, 60);
    EXPECT_EQ(strongestBin(spectrum.analyse(shortFrame.data(), 1000)), 600);
}

TEST(Spectrum, LevelMeterPeakRmsAndClipping) {
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

TEST(Spectrum, ToneMarkersScaleWithTheRate) {
    const std::array<double, 3> at10000 = rx::toneMarkers(10000);
    EXPECT_DOUBLE_EQ(at10000[0], 1727.7);
    EXPECT_DOUBLE_EQ(at10000[1], 2348.4);
    EXPECT_DOUBLE_EQ(at10000[2], 2969.0);
    const std::array<double, 3> at8000 = rx::toneMarkers(8000);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(at8000[i], at10000[i] * 0.8, 1e-9);
}
