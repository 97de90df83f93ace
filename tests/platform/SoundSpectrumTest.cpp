// The tuning display's spectrum: where a tone peaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/common/ToneBytes.h"
#include "platform/SoundSpectrum.h"

namespace {


int strongestBin(const std::vector<float>& levels) {
    return static_cast<int>(std::max_element(levels.begin(), levels.end()) - levels.begin());
}

}  // namespace

TEST(Spectrum, ToneOfTwoThousandHertzPeaksInItsBinAtEitherRate) {
    platform::Spectrum spectrum;
    for (int rate : {10000, 8000}) {
        const std::vector<std::uint8_t> bytes = sine(2000, rate, 3841, 100);
        const std::vector<float>& levels = spectrum.analyse(bytes.data(), 3841);
        ASSERT_EQ(levels.size(), static_cast<std::size_t>(platform::SpectrumBins));
        const int bin = strongestBin(levels);
        EXPECT_DOUBLE_EQ(bin * double(rate) / platform::SpectrumLength, 2000.0) << rate;
        // Amplitude 100 of 128: about -2.1 dB; far bins lie deep below.
        EXPECT_NEAR(levels[bin], 20 * std::log10(100.0 / 128), 0.3);
        EXPECT_LT(levels[bin / 2], levels[bin] - 40);
    }
    // A short frame is padded with silence and still peaks there.
    const std::vector<std::uint8_t> shortFrame = sine(3000, 10000, 1000, 60);
    EXPECT_EQ(strongestBin(spectrum.analyse(shortFrame.data(), 1000)), 600);
}
