// The framing tracker on the transmitter's own signal: period and frame
// starts recovered for any picture and clock error, with and without line
// sync, lock lost when the signal goes and found again when it returns.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "tests/common/SentSignal.h"
#include "tests/common/VoiceChannel.h"
#include "viewer/FramingTracker.h"

namespace {

struct Tracked {
    std::vector<double> starts;
    bool locked = false, sync = false;
    double period = 0;
    std::int64_t lockedAt = -1;
};

Tracked track(const std::vector<std::uint8_t>& sound, std::size_t chunk = 3841) {
    rx::FramingTracker tracker;
    Tracked run;
    for (std::size_t i = 0; i < sound.size(); i += chunk) {
        tracker.feed(sound.data() + i, std::min(chunk, sound.size() - i));
        while (tracker.hasFrameStart()) {
            run.starts.push_back(tracker.frontFrameStart());
            tracker.popFrameStart();
        }
    }
    run.locked = tracker.locked();
    run.sync = tracker.syncPresent();
    run.period = tracker.period();
    run.lockedAt = tracker.lockedAt();
    return run;
}

// The distance of a found start from the nearest true frame start, sent
// frames starting at `from` and lasting `period` recorded samples.
double startError(double start, double from, double period) {
    const double k = std::nearbyint((static_cast<double>(start) - from) / period);
    return static_cast<double>(start) - (from + k * period);
}

struct Case {
    double ppm;
    bool lineSync;
    unsigned seed;
};

class FramingRecovery : public ::testing::TestWithParam<Case> {};

TEST_P(FramingRecovery, PeriodAndStartsOfAPicture) {
    const Case c = GetParam();
    const double offset = 1234.5 + (c.seed % 7) * 377;  // sent sample the recording starts at
    const auto sound = eightBit(recorded(sentFrames(randomPicture(c.seed), c.lineSync, 24), c.ppm, offset));
    const Tracked run = track(sound);
    const double period = 3841 * (1 + c.ppm * 1e-6);
    ASSERT_TRUE(run.locked);
    EXPECT_EQ(run.sync, c.lineSync);
    EXPECT_NEAR(run.period, period, 0.1);
    // Locked within ten frames (a fold of three frames may give the lock;
    // a picture of random levels, every sample its own, turns the runs all
    // over the tones' arc and its break and bursts stand clear only of a
    // deeper fold); every start after that within two and a half samples
    // of a frame start (starts are placed for a voice channel, whose
    // band-pass draws the break and the bursts about a sample away from
    // where a direct line puts them).
    EXPECT_LT(run.lockedAt, 10 * period);
    const double from = (3841 - std::fmod(offset, 3841)) * (1 + c.ppm * 1e-6);
    int checked = 0;
    for (double start : run.starts) {
        if (start < static_cast<double>(run.lockedAt) + period) continue;
        EXPECT_LE(std::abs(startError(start, from, period)), 2.5) << "start " << start;
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

INSTANTIATE_TEST_SUITE_P(ClockErrors, FramingRecovery,
                         ::testing::Values(Case{0, false, 1}, Case{300, false, 5}, Case{-500, false, 6},
                                           Case{500, true, 11}, Case{-300, true, 10}, Case{0, true, 12}));

// Through the channel the smeared bursts stand out at all 32 line starts;
// the frame start must still be told from them, and followed.
TEST(FramingTracker, LineSyncThroughAVoiceChannel) {
    for (const Case c : {Case{300, true, 21}, Case{-200, true, 22}}) {
        const double offset = 500.0 + c.seed * 91;
        // Bright and dark lines by turns, and a bright and a dark block.
        const auto picture = greyPicture([](int row, int column) {
            if (row >= 65 && row < 105 && column >= 10 && column < 45) return 250;
            if (row >= 10 && row < 50 && column >= 55 && column < 90) return 5;
            return column / 3 % 2 != 0 ? 200 : 60;
        });
        const auto sound = eightBit(voiceChannel(recorded(sentFrames(picture, true, 24), c.ppm, offset)));
        const Tracked run = track(sound);
        const double period = 3841 * (1 + c.ppm * 1e-6);
        ASSERT_TRUE(run.locked) << c.seed;
        EXPECT_NEAR(run.period, period, 0.2);
        const double from = (3841 - std::fmod(offset, 3841)) * (1 + c.ppm * 1e-6);
        for (double start : run.starts) {
            if (start >= static_cast<double>(run.lockedAt) + period) {
                EXPECT_LE(std::abs(startError(start, from, period)), 2.5) << "start " << start;
            }
        }
    }
}

// Through the channel with noise 12 dB below the signal, no single frame's
// break can be trusted; folded over several frames it is found and held.
// The tracker locks only on a clear fold, and at 12 dB this card's break
// stands barely twice over its own edges: it may take a few seconds.
TEST(FramingTracker, HeldThroughANoisyChannel) {
    const double ppm = 300, offset = 777;
    const auto picture = greyPicture([](int row, int column) {
        if (row >= 15 && row < 55 && column >= 10 && column < 45) return 250;
        if (row >= 70 && row < 110 && column >= 55 && column < 90) return 5;
        if (row >= 60 && row < 66) return 128;
        return 40 + column * 170 / 95;
    });
    std::vector<double> x = voiceChannel(recorded(sentFrames(picture, false, 32), ppm, offset));
    addNoise(x, 12, 12);
    const Tracked run = track(eightBit(x));
    const double period = 3841 * (1 + ppm * 1e-6);
    ASSERT_TRUE(run.locked);
    EXPECT_LT(run.lockedAt, 24 * period);
    EXPECT_NEAR(run.period, period, 0.3);
    const double from = (3841 - std::fmod(offset, 3841)) * (1 + ppm * 1e-6);
    for (double start : run.starts)
        if (start >= static_cast<double>(run.lockedAt) + period) {
            EXPECT_LE(std::abs(startError(start, from, period)), 3.0) << "start " << start;
        }
}

// One break is no frame: a steady tone whose phase jumps once (the sound
// starting, a click) must not be taken for the frames' breaks; the same
// jump every frame is.
TEST(FramingTracker, ASingleBreakIsNoFrame) {
    for (const bool everyFrame : {false, true}) {
        std::vector<double> tone(10 * 3841);
        for (std::size_t i = 0; i < tone.size(); ++i) {
            const double jumps = everyFrame ? static_cast<double>((i + 3000) / 3841) : (i >= 5000 ? 1.0 : 0.0);
            tone[i] = 20000 * std::sin(2 * std::numbers::pi * 768 * static_cast<double>(i) / 3841 + 2.5 * jumps);
        }
        EXPECT_EQ(track(eightBit(tone)).locked, everyFrame);
    }
}

TEST(FramingTracker, ChunkingChangesNothing) {
    const auto sound = eightBit(recorded(sentFrames(randomPicture(9), true, 10), 200, 999));
    const Tracked whole = track(sound, sound.size()), small = track(sound, 77), frames = track(sound);
    EXPECT_EQ(whole.starts, small.starts);
    EXPECT_EQ(whole.starts, frames.starts);
}

TEST(FramingTracker, LockLostWithTheSignalAndFoundAgain) {
    auto sound = eightBit(recorded(sentFrames(randomPicture(1), false, 16), 300, 100));
    rx::FramingTracker tracker;
    tracker.feed(sound.data(), sound.size());
    ASSERT_TRUE(tracker.locked());
    const double period = tracker.period();
    // Five seconds of silence: the lock goes, frames still come a period
    // apart.
    const std::vector<std::uint8_t> silence(50000, 128);
    tracker.feed(silence.data(), silence.size());
    EXPECT_FALSE(tracker.locked());
    EXPECT_NEAR(tracker.period(), period, 0.1);
    std::vector<double> starts;
    while (tracker.hasFrameStart()) {
        starts.push_back(tracker.frontFrameStart());
        tracker.popFrameStart();
    }
    ASSERT_GE(starts.size(), 2u);
    EXPECT_NEAR(static_cast<double>(starts.back() - starts[starts.size() - 2]), period, 1.0);
    // The signal returns at another phase, and is found again as it was at
    // first, within ten frames (the first of them is partly silence).
    const std::int64_t back = tracker.samplesFed();
    sound = eightBit(recorded(sentFrames(randomPicture(6), false, 16), 300, 2000));
    tracker.feed(sound.data(), sound.size());
    EXPECT_TRUE(tracker.locked());
    EXPECT_LT(tracker.lockedAt() - back, 10 * 3842);
}

// A stretch of sound lost on the way (a capture buffer not queued in time)
// moves every frame after it; the lock on the old place must go and the
// new one be found within seconds, not held on a split picture. With line
// sync, frames moved by a few samples more than whole lines put other
// lines' bursts where the loop expects the frame's.
TEST(FramingTracker, AStretchOfSoundLostIsFoundAgain) {
    struct Lost {
        bool lineSync;
        std::size_t samples;
    };
    for (const Lost c : {Lost{false, 769}, Lost{true, 725}}) {
        const double ppm = 300, offset = 100, period = 3841 * (1 + ppm * 1e-6);
        auto sound = eightBit(recorded(sentFrames(randomPicture(1), c.lineSync, 48), ppm, offset));
        const std::size_t cut = 16 * 3842;
        sound.erase(sound.begin() + static_cast<long>(cut), sound.begin() + static_cast<long>(cut + c.samples));
        const Tracked run = track(sound);
        ASSERT_TRUE(run.locked) << c.samples;
        const double from = (3841 - std::fmod(offset, 3841)) * (1 + ppm * 1e-6) - static_cast<double>(c.samples);
        int checked = 0;
        for (double start : run.starts)
            if (start >= static_cast<double>(cut) + 24 * period) {
                EXPECT_LE(std::abs(startError(start, from, period)), 2.5) << c.samples << " lost, start " << start;
                ++checked;
            }
        EXPECT_GE(checked, 5) << c.samples;
    }
}

// A few samples lost while followed move the frames by less than the
// follower's window: the frame where they moved is not shown as framed
// in the old place, nor is any after it until the frames are found again.
TEST(FramingTracker, FramesMovedAFewSamplesAreNotShownFramedInTheOldPlace) {
    const double ppm = 300, offset = 100, period = 3841 * (1 + ppm * 1e-6);
    const std::size_t lost = 5, cut = 16 * 3842;
    auto sound = eightBit(recorded(sentFrames(randomPicture(1), false, 40), ppm, offset));
    sound.erase(sound.begin() + static_cast<long>(cut), sound.begin() + static_cast<long>(cut + lost));
    rx::FramingTracker tracker;
    const double from = (3841 - std::fmod(offset, 3841)) * (1 + ppm * 1e-6);
    int framedAfter = 0;
    for (std::size_t i = 0; i < sound.size(); i += 3841) {
        tracker.feed(sound.data() + i, std::min<std::size_t>(3841, sound.size() - i));
        for (; tracker.hasFrameStart(); tracker.popFrameStart()) {
            const auto& f = tracker.frontFrame();
            if (!f.framed) continue;
            const bool after = f.start >= static_cast<double>(cut);
            EXPECT_LT(std::abs(startError(f.start, after ? from - static_cast<double>(lost) : from, period)), 2) << f.start;
            framedAfter += after;
        }
    }
    EXPECT_GE(framedAfter, 5);
}

}  // namespace

// A page with a few lines of writing, line sync on, at 15 dB: faint
// breaks turn up lines from the grid's step; where the bursts' front
// edges bear out the grid, those do not hold it back.
TEST(FramingTracker, FaintBreaksFarFromTheBurstsStepDoNotHoldItBack) {
    const auto picture = greyPicture([](int row, int column) {
        const bool writing = (row / 12) % 3 == 1 && row % 12 > 2 && row % 12 < 9;
        return writing && (column * 7 + row * 3) % 11 < 3 && column > 8 && column < 88 ? 20 : 235;
    });
    int framed = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const double ppm = std::array{-300.0, 300.0, 0.0}[seed % 3], offset = 300.0 + seed * 577;
        std::vector<double> x = voiceChannel(recorded(sentFrames(picture, true, 24), ppm, offset));
        addNoise(x, 15, seed);
        const Tracked run = track(eightBit(x));
        const double period = 3841 * (1 + ppm * 1e-6), from = (3841 - std::fmod(offset, 3841)) * (1 + ppm * 1e-6);
        if (!run.locked) continue;
        ++framed;
        for (double start : run.starts) {
            if (start >= static_cast<double>(run.lockedAt) + period) {
                EXPECT_LE(std::abs(startError(start, from, period)), 2.5) << "seed " << seed;
            }
        }
    }
    EXPECT_GE(framed, 11);
}
