// Line and frame timing: which signal positions become which line and row.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/signal/ReceiverSignalHelpers.h"
#include "viewer/LineTiming.h"

namespace {

struct Delivered {
    int k, r;
    float v;
};

// A signal whose value at every position within the frame and its repeat
// tells the position: v = -position / 1e5, never positive, like the AM
// detector's output at its usual polarity, so no value reaches the start
// sync level by accident. The layout is the demodulator's: positions
// N+2..2N+1 repeat 2..N+1, zeros above.
std::vector<float> positionSignal(int n) {
    std::vector<float> v(VideoSignalLength, 0.0f);
    for (int p = 0; p <= n + 1; ++p) v[p] = -static_cast<float>(p) / 1e5f;
    for (int p = n + 2; p <= 2 * n + 1; ++p) v[p] = v[p - n];
    return v;
}

int positionOf(float v) { return static_cast<int>(std::lround(-v * 1e5)); }

std::vector<Delivered> scan(const std::vector<float>& signal, const ReceiverSettings& s) {
    std::vector<Delivered> out;
    forEachLineSample(signal.data(), s, [&](int k, int r, float v) { out.push_back({k, r, v}); });
    return out;
}

// Checks that line k delivered rows 1..L from consecutive positions,
// the first being `first`, and returns the line's samples.
void expectLine(const std::vector<Delivered>& d, int k, int lineSamples, int first,
                const std::vector<float>& signal) {
    ASSERT_GE(d.size(), std::size_t(k + 1) * lineSamples);
    for (int r = 1; r <= lineSamples; ++r) {
        const Delivered& x = d[std::size_t(k) * lineSamples + r - 1];
        ASSERT_EQ(x.k, k);
        ASSERT_EQ(x.r, r);
        ASSERT_EQ(bitsOf(x.v), bitsOf(signalAt(signal.data(), first + r - 1)))
            << "line " << k << " row " << r << ": expected position " << first + r - 1;
    }
}

}  // namespace

TEST(ReceiverTiming, WithoutSyncLinesFollowEachOtherFromPositionOne) {
    ReceiverSettings s = startSettings();
    const std::vector<float> signal = positionSignal(s.frameSamples);
    const std::vector<Delivered> d = scan(signal, s);
    ASSERT_EQ(d.size(), 32u * 120u);
    for (int k = 0; k < 32; ++k) expectLine(d, k, 120, 120 * k + 1, signal);
    EXPECT_EQ(positionOf(d.back().v), 3840);
}

TEST(ReceiverTiming, LongLinesRunIntoTheRepeatAndThenZeros) {
    ReceiverSettings s = startSettings();
    s.frameSamples = 3841;
    s.lineSamples = 250;  // 32 * 250 = 8000 > 2N + 1
    const std::vector<float> signal = positionSignal(s.frameSamples);
    const std::vector<Delivered> d = scan(signal, s);
    ASSERT_EQ(d.size(), 32u * 250u);
    EXPECT_EQ(positionOf(d[3841 - 1].v), 3841);   // position N
    EXPECT_EQ(positionOf(d[3842 - 1].v), 3842);   // position N+1
    EXPECT_EQ(positionOf(d[3843 - 1].v), 2);      // N+2 repeats position 2
    EXPECT_EQ(positionOf(d[7683 - 1].v), 3842);   // 2N+1 repeats N+1
    for (std::size_t i = 7683; i < d.size(); ++i) ASSERT_EQ(d[i].v, 0.0f) << i;
}

TEST(ReceiverTiming, SyncStartsEachLineAfterThePulse) {
    ReceiverSettings s = startSettings();
    s.syncOn = 1;
    s.lineSamples = 119;
    std::vector<float> signal = positionSignal(s.frameSamples);
    // Pulses of three samples; line 0's at 57, line 1's search begins at
    // 57 + 119 + 1 and meets the next pulse at 180.
    for (int p : {57, 58, 59, 180, 181, 182}) signal[p] = 0.5f;
    const std::vector<Delivered> d = scan(signal, s);
    ASSERT_EQ(d.size(), 32u * 119u);
    expectLine(d, 0, 119, 58, signal);
    EXPECT_EQ(d[0].v, 0.5f);  // the rest of the pulse is drawn at the line's bottom
    expectLine(d, 1, 119, 181, signal);
    // No more pulses: line 2 searches from 300 to N + 1; the later lines
    // each advance exactly one position before their samples.
    int first = 3841 + 2;
    for (int k = 2; k < 32; ++k) {
        expectLine(d, k, 119, first, signal);
        first += 119 + 1;
    }
}

TEST(ReceiverTiming, SyncWithoutPulsesStartsLineZeroAfterTheFrame) {
    ReceiverSettings s = startSettings();
    s.syncOn = 1;
    std::vector<float> signal = positionSignal(s.frameSamples);  // never positive
    // Not-a-number does not stop a search either.
    signal[100] = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Delivered> d = scan(signal, s);
    ASSERT_EQ(d.size(), 32u * 120u);
    expectLine(d, 0, 120, 3841 + 2, signal);
    expectLine(d, 1, 120, 3841 + 2 + 121, signal);
    expectLine(d, 31, 120, 3841 + 2 + 31 * 121, signal);
}

TEST(ReceiverTiming, SyncThresholds) {
    // Level: least value that is a sync sample.
    const std::pair<int, double> thresholds[] = {
        {0, -1.27}, {127, 0.0}, {128, 0.01}, {227, 1.0}, {255, 1.28}};
    for (auto [level, least] : thresholds) {
        const float nearest = static_cast<float>(least);
        const float above = std::nextafter(nearest, 10.0f), below = std::nextafter(nearest, -10.0f);
        EXPECT_TRUE(isSyncSample(above, level)) << level;
        EXPECT_FALSE(isSyncSample(below, level)) << level;
        EXPECT_EQ(isSyncSample(nearest, level), 100.0 * nearest >= level - 127) << level;
    }
    EXPECT_TRUE(isSyncSample(0.0f, 127));
    EXPECT_FALSE(isSyncSample(std::numeric_limits<float>::quiet_NaN(), 0));
    EXPECT_TRUE(isSyncSample(std::numeric_limits<float>::infinity(), 255));
    EXPECT_FALSE(isSyncSample(0.0f, 2147483647));
    EXPECT_TRUE(isSyncSample(-2e7f, -2147483647 - 1));  // no overflow in syncLevel - 128
}

TEST(ReceiverTiming, EmptyAndOverlongLinesStayInBounds) {
    ReceiverSettings s = startSettings();
    const std::vector<float> signal = positionSignal(16800);
    for (int sync : {-1, 1})
        for (int lines : {0, -5, -2147483647 - 1}) {
            s.syncOn = sync;
            s.lineSamples = lines;
            EXPECT_TRUE(scan(signal, s).empty());
        }
    s.frameSamples = 16800;
    for (int sync : {-1, 1})
        for (int lines : {599, 600, 1349, 5000, 2147483647}) {
            s.syncOn = sync;
            s.lineSamples = lines;
            const std::vector<Delivered> d = scan(signal, s);
            const int rows = std::min(lines, HighestPlottedRow);
            ASSERT_EQ(d.size(), 32u * rows) << lines;
            for (const Delivered& x : d) ASSERT_LE(x.r, HighestPlottedRow);
            // Rows passed over still take their samples: line 1 starts
            // after all of line 0's.
            if (sync == -1 && lines <= 5000) {
                EXPECT_EQ(bitsOf(d[rows].v), bitsOf(signalAt(signal.data(), lines + 1))) << lines;
            }
            PictureStore store;
            scanFrame(signal.data(), s, store);  // under the sanitizers: no stray access
        }
}

TEST(ReceiverTiming, ScanFramePlotsEveryLineIntoThePicture) {
    ReceiverSettings s = startSettings();
    s.contrast = 1;
    s.brightness = 50;
    std::vector<float> signal(VideoSignalLength, 0.0f);
    for (int k = 0; k < 32; ++k)
        for (int r = 1; r <= 120; ++r) signal[120 * k + r] = static_cast<float>(2 * k + r);
    PictureStore store;
    scanFrame(signal.data(), s, store);
    for (int k = 0; k < 32; ++k)
        for (int r : {1, 60, 120}) {
            const int x = 93 - 3 * k;
            EXPECT_EQ(store.bytes[r * PictureRowBytes + x * BytesPerPixel], std::min(255, 2 * k + r));
        }
    for (std::size_t i = 0; i < std::size_t(PictureRowBytes); ++i) ASSERT_EQ(store.bytes[i], 0);
    for (std::size_t i = 121 * PictureRowBytes; i < store.bytes.size(); ++i) ASSERT_EQ(store.bytes[i], 0);
}
