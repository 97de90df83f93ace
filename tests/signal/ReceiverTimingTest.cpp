// Line and frame timing: which signal positions become which line and row.
#include <gtest/gtest.h>

#include <limits>

#include "tests/signal/ReceiverSignalHelpers.h"
#include "viewer/LineTiming.h"

using namespace rx;

namespace {

// Every value tells its position: -p / 1e5 in the frame, with the
// demodulator's layout (N+2..2N+1 repeat 2..N+1, zeros above). Never
// positive, like the AM output, so the start sync level never fires.
std::vector<float> positionSignal(int n) {
    std::vector<float> v(VideoSignalLength, 0.0f);
    for (int p = 0; p <= n + 1; ++p) v[p] = -static_cast<float>(p) / 1e5f;
    for (int p = n + 2; p <= 2 * n + 1; ++p) v[p] = v[p - n];
    return v;
}

// The position a value tells; -1 for a 0 read past the frame's repeat, -2
// for any other value.
int code(float v) {
    return v == 0.0f && !std::signbit(v) ? -1 : v <= 0.0f ? static_cast<int>(std::lround(-v * 1e5)) : -2;
}

// The codes of positions first .. first + count - 1.
std::vector<int> at(const std::vector<float>& signal, int first, int count) {
    std::vector<int> out;
    for (int p = first; p < first + count; ++p) out.push_back(code(signalAt(signal.data(), p)));
    return out;
}

// The codes read for each (line, row), in delivery order.
std::vector<int> scan(const std::vector<float>& signal, const ReceiverSettings& s, int* lastRow = nullptr) {
    std::vector<int> positions;
    int expectedK = 0, expectedR = 1;
    forEachLineSample(signal.data(), s, [&](int k, int r, float v) {
        if (k != expectedK) expectedK = k, expectedR = 1;
        EXPECT_EQ(r, expectedR++) << "line " << k;
        if (lastRow != nullptr) *lastRow = std::max(*lastRow, r);
        positions.push_back(code(v));
    });
    return positions;
}

// Line k's positions, when every line has L rows.
std::vector<int> line(const std::vector<int>& positions, int k, int lineSamples) {
    return {positions.begin() + k * lineSamples, positions.begin() + (k + 1) * lineSamples};
}

std::vector<int> run(int first, int count) {
    std::vector<int> out(count);
    for (int i = 0; i < count; ++i) out[i] = first + i;
    return out;
}

}  // namespace

TEST(ReceiverTiming, WithoutSyncLinesFollowEachOtherFromPositionOne) {
    ReceiverSettings s = startSettings();
    const std::vector<int> p = scan(positionSignal(3841), s);
    EXPECT_EQ(p, run(1, 3840));
    s.lineSamples = 250;  // 32 lines of 250 run past the frame and its repeat
    const std::vector<int> q = scan(positionSignal(3841), s);
    ASSERT_EQ(q.size(), 8000u);
    EXPECT_EQ(std::vector<int>(q.begin() + 3840, q.begin() + 3843), std::vector<int>({3841, 3842, 2}));
    EXPECT_EQ(q[7682 - 1], 3842 - 1);  // position 2N+1 repeats N
    EXPECT_EQ(q[7683 - 1], 3842);
    EXPECT_EQ(std::count(q.begin(), q.end(), -1), 8000 - 7683);
}

TEST(ReceiverTiming, SyncStartsEachLineJustAfterThePulsesFirstSample) {
    ReceiverSettings s = startSettings();
    s.syncOn = 1;
    s.lineSamples = 119;
    std::vector<float> signal = positionSignal(3841);
    for (int p : {57, 58, 59, 180, 181, 182}) signal[p] = 0.5f;  // pulses of three samples
    signal[300] = std::numeric_limits<float>::quiet_NaN();        // never a sync sample
    const std::vector<int> p = scan(signal, s);
    ASSERT_EQ(p.size(), 32u * 119u);
    EXPECT_EQ(p[0], -2);  // the rest of the pulse, at the line's bottom
    EXPECT_EQ(p[1], -2);
    EXPECT_EQ(std::vector<int>(p.begin() + 2, p.begin() + 119), run(60, 117));
    const std::vector<int> line1 = line(p, 1, 119);
    EXPECT_EQ(std::vector<int>(line1.begin() + 2, line1.end()), run(183, 117));
    // No more pulses: line 2 searches to N + 1, then each line steps once.
    for (int k = 2; k < 32; ++k) EXPECT_EQ(line(p, k, 119), at(signal, 3843 + (k - 2) * 120, 119)) << "line " << k;
}

TEST(ReceiverTiming, SyncThresholds) {
    for (auto [level, least] : {std::pair{0, -1.27}, {127, 0.0}, {128, 0.01}, {227, 1.0}, {255, 1.28}}) {
        const float nearest = static_cast<float>(least);
        EXPECT_TRUE(isSyncSample(std::nextafter(nearest, 10.0f), level)) << level;
        EXPECT_FALSE(isSyncSample(std::nextafter(nearest, -10.0f), level)) << level;
        EXPECT_EQ(isSyncSample(nearest, level), 100.0 * nearest >= level - 127) << level;
    }
    EXPECT_FALSE(isSyncSample(std::numeric_limits<float>::quiet_NaN(), 0));
    EXPECT_TRUE(isSyncSample(-2e7f, std::numeric_limits<int>::min()));  // no overflow
    EXPECT_FALSE(isSyncSample(1e7f, std::numeric_limits<int>::max()));
}

TEST(ReceiverTiming, AnyLineLengthStaysInBounds) {
    ReceiverSettings s = startSettings();
    s.frameSamples = 16800;
    const std::vector<float> signal = positionSignal(16800);
    for (int sync : {-1, 1}) {
        s.syncOn = sync;
        for (int lines : {0, -5, std::numeric_limits<int>::min()}) {
            s.lineSamples = lines;
            EXPECT_TRUE(scan(signal, s).empty());
        }
        for (int lines : {599, 600, 1349, 5000, std::numeric_limits<int>::max()}) {
            s.lineSamples = lines;
            int lastRow = 0;
            const std::vector<int> p = scan(signal, s, &lastRow);
            ASSERT_EQ(p.size(), 32u * std::min(lines, HighestPlottedRow)) << lines;
            EXPECT_LE(lastRow, HighestPlottedRow);
            // Rows the store cannot hold still take their samples.
            if (sync == -1 && lines == 1349) {
                EXPECT_EQ(p[599], 1350);
            }
            PictureStore store;
            scanFrame(signal.data(), s, store);  // the sanitizers watch this
        }
    }
}

TEST(ReceiverTiming, ScanFramePlotsEveryLineAtItsColumn) {
    ReceiverSettings s = startSettings();
    s.contrast = 1;
    s.brightness = 50;
    std::vector<float> signal(VideoSignalLength, 0.0f);
    for (int p = 1; p <= 3840; ++p) signal[p] = static_cast<float>((p - 1) / 120 * 2 + (p - 1) % 120 + 1);
    PictureStore store;
    scanFrame(signal.data(), s, store);
    for (int k = 0; k < 32; ++k)
        for (int r : {1, 60, 120}) EXPECT_EQ(store.bytes[r * PictureRowBytes + (93 - 3 * k) * BytesPerPixel], std::min(255, 2 * k + r));
    EXPECT_EQ(std::count(store.bytes.begin(), store.bytes.begin() + PictureRowBytes, 0), PictureRowBytes);  // row 0
    EXPECT_EQ(std::count(store.bytes.begin() + 121 * PictureRowBytes, store.bytes.end(), 0), 480 * PictureRowBytes);
}
