// The demodulator: known tones in, known values out; the fast filters
// against the plain re-statement; the layout of VideoSignal.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "tests/signal/ReceiverSignalHelpers.h"

namespace {

std::vector<float> demodulated(const std::vector<std::uint8_t>& buffer, const ReceiverSettings& s) {
    FrameArrays arrays = makeFrameArrays(s.frameSamples);
    demodulate(buffer.data(), s, arrays);
    return arrays.videoSignal;
}

// Bytes 228, 128, 28, 128 repeated: a tone exactly at the reference
// frequency, amplitude 100, cosine phase.
std::vector<std::uint8_t> referenceTone() {
    std::vector<std::uint8_t> buffer = captureBuffer();
    const std::uint8_t cycle[4] = {228, 128, 28, 128};
    for (std::size_t n = 0; n < buffer.size(); ++n) buffer[n] = cycle[n % 4];
    return buffer;
}

void expectSameBits(const std::vector<float>& expected, const std::vector<float>& actual,
                    const char* what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(bitsOf(expected[i]), bitsOf(actual[i]))
            << what << " at position " << i << ": " << expected[i] << " vs " << actual[i];
}

}  // namespace

TEST(ReceiverDemodulator, MatchesThePlainSumsBitForBit) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    const int lengths[] = {1, 2, 3, 4, 5, 40, 2399, 2400, 3841, 3842, 3843, 3844, 16799, 16800};
    for (int n : lengths)
        for (int cutoff : {800, 1200, 1500})
            for (int mode : {DemodAM, DemodFM}) {
                std::vector<std::uint8_t> buffer = captureBuffer();
                for (auto& b : buffer) b = static_cast<std::uint8_t>(byte(random));
                ReceiverSettings s = startSettings();
                s.frameSamples = n;
                s.lowPassCutoff = cutoff;
                s.demodMode = mode;
                s.polarity = (n % 2 == 0) ? 1 : -1;
                SCOPED_TRACE(testing::Message() << "N " << n << " filter " << cutoff << " mode " << mode);
                expectSameBits(plainDemodulate(buffer.data(), s), demodulated(buffer, s), "signal");
            }
}

TEST(ReceiverDemodulator, ReusedArraysEndAsFreshOnes) {
    // A long frame, then shorter ones of other kinds, into one set of arrays.
    std::vector<std::uint8_t> buffer = toneBuffer(2100.0, 10000.0, 90.0, 16800);
    ReceiverSettings s = startSettings();
    FrameArrays reused = makeFrameArrays(16800);
    const int lengths[] = {16800, 2400, 3841, 5, 3000};
    for (int n : lengths) {
        s.frameSamples = n;
        s.demodMode = (n == 2400) ? DemodAM : DemodFM;
        s.lowPassCutoff = (n == 5) ? 800 : 1500;
        demodulate(buffer.data(), s, reused);
        FrameArrays fresh = makeFrameArrays(n);
        demodulate(buffer.data(), s, fresh);
        SCOPED_TRACE(testing::Message() << "N " << n);
        expectSameBits(fresh.videoSignal, reused.videoSignal, "videoSignal");
        fresh.mixedI.resize(reused.mixedI.size(), 0.0f);
        fresh.filteredI.resize(reused.filteredI.size(), 0.0f);
        fresh.filteredQ.resize(reused.filteredQ.size(), 0.0f);
        expectSameBits(fresh.mixedI, reused.mixedI, "mixedI");
        expectSameBits(fresh.filteredI, reused.filteredI, "filteredI");
        expectSameBits(fresh.filteredQ, reused.filteredQ, "filteredQ");
    }
}

TEST(ReceiverDemodulator, UndersizedArraysAreGrownNotOverrun) {
    std::vector<std::uint8_t> buffer = toneBuffer(2300.0, 10000.0, 100.0, 16800);
    ReceiverSettings s = startSettings();
    s.frameSamples = 16800;
    FrameArrays arrays;  // empty vectors
    demodulate(buffer.data(), s, arrays);
    expectSameBits(plainDemodulate(buffer.data(), s), arrays.videoSignal, "signal");
}

TEST(ReceiverDemodulator, ReferenceToneGivesZeroFMAndSteadyAM) {
    const std::vector<std::uint8_t> buffer = referenceTone();
    struct Case { int cutoff; double even, odd; };
    const Case cases[] = {{800, 24.883, 25.010}, {1200, 25.067, 25.012}, {1500, 25.088, 24.991}};
    for (const Case& c : cases) {
        ReceiverSettings s = startSettings();
        s.lowPassCutoff = c.cutoff;
        FrameArrays fm = makeFrameArrays(s.frameSamples);
        demodulate(buffer.data(), s, fm);
        for (int i = 0; i <= s.frameSamples + 1; ++i) {
            ASSERT_EQ(fm.filteredI[i], 0.0f) << i;
            ASSERT_EQ(fm.videoSignal[i], 0.0f) << i;
        }
        s.demodMode = DemodAM;
        const std::vector<float> am = demodulated(buffer, s);
        for (int i = 100; i < 3700; i += 2) {
            ASSERT_NEAR(am[i], c.even, 0.0005) << c.cutoff << " at " << i;
            ASSERT_NEAR(am[i + 1], c.odd, 0.0005) << c.cutoff << " at " << i + 1;
        }
    }
}

TEST(ReceiverDemodulator, ToneAboveAndBelowTheReference) {
    ReceiverSettings s = startSettings();
    for (double frequency : {2000.0, 3000.0}) {
        const std::vector<float> v = demodulated(toneBuffer(frequency, 10000.0, 100.0, 3841), s);
        const double sign = frequency > 2500.0 ? 1.0 : -1.0;
        double sum = 0.0;
        for (int i = 100; i <= 3699; ++i) {
            // The bounds are given to four places.
            ASSERT_GE(sign * v[i], 0.30515) << frequency << " at " << i;
            ASSERT_LE(sign * v[i], 0.31225) << frequency << " at " << i;
            sum += v[i];
        }
        EXPECT_NEAR(sum / 3600.0, sign * 0.309, 0.0005);
        // Near the frame's end the filters reach into the zeros after the
        // mixer's last group.
        double stray = 0.0;
        for (int i = 3830; i <= 3842; ++i) stray = std::max(stray, std::abs(v[i] - sign * 0.309));
        EXPECT_GT(stray, 0.05);
    }
}

TEST(ReceiverDemodulator, FMMeanFollowsThePhaseStepAtAnySampleRate) {
    const double pi = std::acos(-1.0);
    for (double rate : {8000.0, 10000.0, 11025.0, 44100.0}) {
        ReceiverSettings s = startSettings();
        s.sampleRate = static_cast<int>(rate);
        for (double frequency = 1000.0; frequency <= 4000.0; frequency += 250.0) {
            if (std::abs(frequency - rate / 4) > 0.125 * rate) continue;  // outside the passband
            const std::vector<float> v = demodulated(toneBuffer(frequency, rate, 110.0, 3841), s);
            double sum = 0.0;
            for (int i = 100; i < 3700; ++i) sum += v[i];
            EXPECT_NEAR(sum / 3600.0, std::sin(2 * pi * (frequency - rate / 4) / rate), 0.002)
                << frequency << " Hz at " << rate;
        }
    }
}

TEST(ReceiverDemodulator, SilenceGivesZeroAMAndNotANumberFM) {
    std::vector<std::uint8_t> buffer = captureBuffer();
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{128});
    ReceiverSettings s = startSettings();
    const int n = s.frameSamples;
    const std::vector<float> fm = demodulated(buffer, s);
    for (int i = 1; i <= 2 * n + 1; ++i) ASSERT_TRUE(std::isnan(fm[i])) << i;
    s.demodMode = DemodAM;
    const std::vector<float> am = demodulated(buffer, s);
    for (int i = 0; i <= 2 * n + 1; ++i) ASSERT_EQ(am[i], 0.0f) << i;
}

TEST(ReceiverDemodulator, MixerEndsWithTheGroupHoldingNPlusOne) {
    std::vector<std::uint8_t> buffer = captureBuffer();
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{200});
    const int lastWritten[][2] = {{3841, 3843}, {3842, 3843}, {3843, 3847}, {16800, 16803}};
    for (const auto& c : lastWritten) {
        ReceiverSettings s = startSettings();
        s.frameSamples = c[0];
        FrameArrays a = makeFrameArrays(c[0]);
        demodulate(buffer.data(), s, a);
        int last = -1;
        for (int i = 0; i < static_cast<int>(a.mixedI.size()); ++i)
            if (a.mixedI[i] != 0.0f || a.mixedQ[i] != 0.0f) last = i;
        EXPECT_EQ(last, c[1]) << "N " << c[0];
        EXPECT_EQ(a.mixedI[1], 72.0f);
        EXPECT_EQ(a.mixedI[3], -72.0f);
        EXPECT_EQ(a.mixedQ[2], -72.0f);
    }
}

TEST(ReceiverDemodulator, SignalRepeatsTheFrameAndIsZeroBeyond) {
    const std::vector<std::uint8_t> buffer = toneBuffer(2250.0, 10000.0, 80.0, 16800);
    for (int n : {3841, 16800}) {
        for (int polarity : {1, -1}) {
            ReceiverSettings s = startSettings();
            s.frameSamples = n;
            s.polarity = polarity;
            const std::vector<float> v = demodulated(buffer, s);
            for (int k = 2; k <= n + 1; ++k) ASSERT_EQ(bitsOf(v[n + k]), bitsOf(v[k])) << k;
            for (std::size_t i = 2 * n + 2; i < VideoSignalLength; ++i) ASSERT_EQ(bitsOf(v[i]), 0u) << i;
            // Positions N and N+1 hold their own values, not copies of 0 and 1.
            EXPECT_NE(v[n], v[0]);
            EXPECT_NE(v[n + 1], v[1]);
            if (polarity == -1) {
                s.polarity = 1;
                const std::vector<float> upright = demodulated(buffer, s);
                for (int i = 1; i <= 2 * n + 1; ++i) ASSERT_EQ(v[i], -upright[i]) << i;
            }
        }
    }
}

TEST(ReceiverDemodulator, FiltersPassAConstantWithTheirGain) {
    for (auto [cutoff, gain] : {std::pair{800, 0.99786}, {1200, 1.00158}, {1500, 1.00158}}) {
        const FilterTerm* terms = lowPassTerms(cutoff);
        double sum = 0.0;
        for (std::size_t j = 0; j < FilterTermCount; ++j) sum += terms[j].coefficient;
        EXPECT_NEAR(sum, gain, 0.00001) << cutoff;
        // Without the first term the kernel is symmetric about its centre
        // (offset 11 for 800 Hz, whose first two terms share offset 0; 12
        // for the others), so term j mirrors term 24 - j.
        for (int j = 1; j < static_cast<int>(FilterTermCount); ++j) {
            EXPECT_EQ(terms[j].coefficient, terms[24 - j].coefficient) << cutoff << " " << j;
        }
    }
}
