// The demodulator: the fast filters against the plain sums, reused arrays,
// and known tones in with known values out.
#include <gtest/gtest.h>

#include <random>

#include "tests/signal/ReceiverSignalHelpers.h"

namespace {

std::vector<float> demodulated(const std::vector<std::uint8_t>& buffer, const ReceiverSettings& s) {
    FrameArrays arrays = makeFrameArrays(s.frameSamples);
    demodulate(buffer.data(), s, arrays);
    return arrays.videoSignal;
}

void expectSameBits(const std::vector<float>& expected, const std::vector<float>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(bitsOf(expected[i]), bitsOf(actual[i])) << "position " << i << ": " << expected[i] << " vs " << actual[i];
}

}  // namespace

// Also checks the layout: the frame's repeat from N+2 on, its own values at
// N and N+1, zeros above 2N+1, polarity on every value.
TEST(ReceiverDemodulator, MatchesThePlainSumsBitForBit) {
    std::mt19937 random(12345);
    for (int n : {1, 2, 3, 5, 40, 2399, 3841, 3842, 3843, 3844, 16799, 16800})
        for (int cutoff : {800, 1200, 1500})
            for (int mode : {DemodAM, DemodFM}) {
                std::vector<std::uint8_t> buffer(CaptureBufferBytes + CaptureBufferSlack);
                for (auto& b : buffer) b = static_cast<std::uint8_t>(random());
                ReceiverSettings s = startSettings();
                s.frameSamples = n;
                s.lowPassCutoff = cutoff;
                s.demodMode = mode;
                s.polarity = n % 2 == 0 ? 1 : -1;
                SCOPED_TRACE(testing::Message() << "N " << n << " filter " << cutoff << " mode " << mode);
                expectSameBits(plainDemodulate(buffer.data(), s), demodulated(buffer, s));
            }
}

TEST(ReceiverDemodulator, ReusedArraysEndAsFreshOnes) {
    const std::vector<std::uint8_t> buffer = toneBuffer(2100.0, 10000.0, 90.0, 16800);
    ReceiverSettings s = startSettings();
    FrameArrays reused;  // empty: grown as needed
    for (int n : {16800, 2400, 3841, 5, 3000}) {
        s.frameSamples = n;
        s.demodMode = n == 2400 ? DemodAM : DemodFM;
        s.lowPassCutoff = n == 5 ? 800 : 1500;
        demodulate(buffer.data(), s, reused);
        FrameArrays fresh = makeFrameArrays(n);
        demodulate(buffer.data(), s, fresh);
        SCOPED_TRACE(testing::Message() << "N " << n);
        expectSameBits(fresh.videoSignal, reused.videoSignal);
        for (auto* array : {&fresh.mixedI, &fresh.mixedQ, &fresh.filteredI, &fresh.filteredQ}) array->resize(reused.mixedI.size());
        expectSameBits(fresh.mixedQ, reused.mixedQ);
        expectSameBits(fresh.filteredI, reused.filteredI);
    }
}

TEST(ReceiverDemodulator, ReferenceToneGivesZeroFMAndSteadyAM) {
    std::vector<std::uint8_t> buffer(CaptureBufferBytes + CaptureBufferSlack);
    const std::uint8_t cycle[4] = {228, 128, 28, 128};  // amplitude 100, cosine phase
    for (std::size_t n = 0; n < buffer.size(); ++n) buffer[n] = cycle[n % 4];
    const double amEvenOdd[3][3] = {{800, 24.883, 25.010}, {1200, 25.067, 25.012}, {1500, 25.088, 24.991}};
    for (const auto& c : amEvenOdd) {
        ReceiverSettings s = startSettings();
        s.lowPassCutoff = static_cast<int>(c[0]);
        FrameArrays fm = makeFrameArrays(s.frameSamples);
        demodulate(buffer.data(), s, fm);
        for (int i = 0; i <= s.frameSamples + 1; ++i) ASSERT_TRUE(fm.filteredI[i] == 0.0f && fm.videoSignal[i] == 0.0f) << i;
        s.demodMode = DemodAM;
        const std::vector<float> am = demodulated(buffer, s);
        for (int i = 100; i < 3700; i += 2) {
            ASSERT_NEAR(am[i], c[1], 0.0005) << c[0] << " Hz filter at " << i;
            ASSERT_NEAR(am[i + 1], c[2], 0.0005) << c[0] << " Hz filter at " << i + 1;
        }
    }
}

TEST(ReceiverDemodulator, TonesBelowAndAboveTheReference) {
    for (double frequency : {2000.0, 3000.0}) {
        const std::vector<float> v = demodulated(toneBuffer(frequency, nbtv::SignalRate, 100.0, nbtv::FrameSamples), startSettings());
        const double sign = frequency > 2500.0 ? 1.0 : -1.0;
        double sum = 0.0;
        for (int i = 100; i <= 3699; ++i) {
            ASSERT_TRUE(sign * v[i] >= 0.30515 && sign * v[i] <= 0.31225) << frequency << " Hz at " << i << ": " << v[i];
            sum += v[i];
        }
        EXPECT_NEAR(sum / 3600.0, sign * 0.309, 0.0005);
    }
}

TEST(ReceiverDemodulator, FMMeanIsTheSineOfThePhaseStepAtAnySampleRate) {
    for (double rate : {8000.0, 10000.0, 11025.0, 44100.0})
        for (double frequency = 1000.0; frequency <= 4000.0; frequency += 250.0) {
            if (std::abs(frequency - rate / 4) > 0.125 * rate) continue;  // outside the filter
            const std::vector<float> v = demodulated(toneBuffer(frequency, rate, 110.0, nbtv::FrameSamples), startSettings());
            double sum = 0.0;
            for (int i = 100; i < 3700; ++i) sum += v[i];
            EXPECT_NEAR(sum / 3600.0, std::sin(2 * std::numbers::pi * (frequency - rate / 4) / rate), 0.002)
                << frequency << " Hz at " << rate;
        }
}

TEST(ReceiverDemodulator, SilenceGivesZeroAMAndNotANumberFM) {
    const std::vector<std::uint8_t> buffer(CaptureBufferBytes + CaptureBufferSlack, 128);
    ReceiverSettings s = startSettings();
    const std::vector<float> fm = demodulated(buffer, s);
    for (int i = 1; i <= 2 * 3841 + 1; ++i) ASSERT_TRUE(std::isnan(fm[i])) << i;
    s.demodMode = DemodAM;
    const std::vector<float> am = demodulated(buffer, s);
    for (int i = 0; i <= 2 * 3841 + 1; ++i) ASSERT_EQ(am[i], 0.0f) << i;
}

TEST(ReceiverDemodulator, MixerEndsWithTheGroupHoldingNPlusOne) {
    const std::vector<std::uint8_t> buffer(CaptureBufferBytes + CaptureBufferSlack, 200);
    for (auto [n, last] : {std::pair{3841, 3843}, {3842, 3843}, {3843, 3847}, {16800, 16803}}) {
        ReceiverSettings s = startSettings();
        s.frameSamples = n;
        FrameArrays a = makeFrameArrays(n);
        demodulate(buffer.data(), s, a);
        int lastWritten = -1;
        for (int i = 0; i < static_cast<int>(a.mixedI.size()); ++i)
            if (a.mixedI[i] != 0.0f || a.mixedQ[i] != 0.0f) lastWritten = i;
        EXPECT_EQ(lastWritten, last) << "N " << n;
    }
}

// The bit-exact test shares the filter table, so check the table itself.
TEST(ReceiverDemodulator, FiltersHaveTheirGainAndSymmetry) {
    for (auto [cutoff, gain] : {std::pair{800, 0.99786}, {1200, 1.00158}, {1500, 1.00158}}) {
        const FilterTerm* terms = lowPassTerms(cutoff);
        double sum = 0.0;
        for (std::size_t j = 0; j < FilterTermCount; ++j) sum += terms[j].coefficient;
        EXPECT_NEAR(sum, gain, 0.00001) << cutoff;
        // Without the first term the kernel is symmetric: term j mirrors 24 - j.
        for (int j = 1; j < 24; ++j) EXPECT_EQ(terms[j].coefficient, terms[24 - j].coefficient) << cutoff << " " << j;
    }
}
