// The transmitter's tone synthesis: exact sample vectors, the scan order of
// the picture, sync pulses and the tones that the levels give.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "transmitter/Synthesis.h"

namespace {

// Adding each step to a single-precision phase of thousands of radians
// rounds it by up to a thousandth of a radian, always the same way for a
// steady tone, so the tone on the air lies up to about 0.3 Hz off the
// nominal one.
constexpr double ToneTolerance = 0.4;

TransmitterSettings settingsWithSync(bool syncOn) {
    TransmitterSettings settings;
    settings.regionX = 200;
    settings.regionY = 200;
    settings.lineSync = syncOn ? -1 : +1;
    settings.syncPulseLevel = 162;
    return settings;
}

ScreenPicture filledPicture(std::uint16_t word) {
    ScreenPicture picture;
    picture.words.fill(word);
    return picture;
}

std::vector<int> leftSamples(const FrameBuffer& buffer, int from, int count) {
    std::vector<int> samples;
    for (int n = from; n < from + count; ++n) samples.push_back(buffer.frames[n].left);
    return samples;
}

// Frequency of a sampled tone from its interpolated upward zero crossings.
double measuredFrequency(const std::vector<double>& samples) {
    double first = -1, last = -1;
    int crossings = 0;
    for (std::size_t n = 1; n < samples.size(); ++n) {
        if (samples[n - 1] < 0 && samples[n] >= 0) {
            const double at = (n - 1) + samples[n - 1] / (samples[n - 1] - samples[n]);
            if (first < 0) first = at; else ++crossings;
            last = at;
        }
    }
    return crossings * SampleRate / (last - first);
}

double frameFrequency(const FrameBuffer& buffer, int from, int count) {
    std::vector<double> samples;
    for (int n = from; n < from + count; ++n) samples.push_back(buffer.frames[n].left);
    return measuredFrequency(samples);
}

}  // namespace

TEST(Synthesis, ReproducesKnownFrames) {
    struct Case {
        const char* name;
        std::uint16_t word;
        bool sync;
        std::vector<int> start;
        float endPhase;
    };
    const Case cases[] = {
        {"black", 0, false, {0, -3623, -3380, 470, 3819, 3092, -934, -3963}, 19958.22f},
        {"white", WhiteWord, false, {0, -4077, -776, 3930, 1524, -3640, -2216, 3218}, 18461.71f},
        {"black, line sync", 0, true, {0, -3919, 2277, 2597, -3785, -3150, 847, 3940}, 19858.43f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto buffer = std::make_unique<FrameBuffer>();
        const float phase = synthesizeFrame(filledPicture(c.word), settingsWithSync(c.sync), *buffer);
        EXPECT_EQ(leftSamples(*buffer, 0, 8), c.start);
        EXPECT_NEAR(phase, c.endPhase, 0.005f);
    }
}

TEST(Synthesis, LeavesSampleZeroAndRightChannelAndCarriesNothingOver) {
    auto used = std::make_unique<FrameBuffer>();
    auto fresh = std::make_unique<FrameBuffer>();
    ScreenPicture picture;
    for (int i = 0; i < PictureWords; ++i) picture.words[i] = static_cast<std::uint16_t>(i * 2654435761u % 0x8000);

    // A buffer that has carried another frame before ends up as a fresh one.
    synthesizeFrame(filledPicture(WhiteWord), settingsWithSync(true), *used);
    synthesizeFrame(picture, settingsWithSync(false), *used);
    synthesizeFrame(picture, settingsWithSync(false), *fresh);

    EXPECT_EQ(used->frames[0].left, 0);
    for (int n = 0; n < FrameSamples; ++n) {
        ASSERT_EQ(used->frames[n].right, 0) << n;
        ASSERT_EQ(used->frames[n].left, fresh->frames[n].left) << n;
    }
}

TEST(Synthesis, ScansColumnsRightToLeftAndRowsBottomUp) {
    ScreenPicture picture;
    for (int column = 0; column < 3; ++column) setPictureWord(picture, 7, column, WhiteWord);
    setPictureWord(picture, 0, 93, 0x0400);   // red 1
    setPictureWord(picture, 0, 94, 0x0800);   // red 2
    setPictureWord(picture, 0, 95, 0x0C00);   // red 3: mean word 2048
    const TransmitterSettings settings = settingsWithSync(false);

    EXPECT_FLOAT_EQ(toneLevel(picture, settings, 31, 7), 194.0009765625f);
    EXPECT_FLOAT_EQ(toneLevel(picture, settings, 31, 6), 226.0f);
    EXPECT_FLOAT_EQ(toneLevel(picture, settings, 30, 7), 226.0f);
    EXPECT_FLOAT_EQ(toneLevel(picture, settings, 0, 0), 224.0f);
    EXPECT_FLOAT_EQ(toneLevel(picture, settings, 0, 1), 226.0f);
}

TEST(Synthesis, SyncPulseReplacesTheFirstFourPositionsOfEveryLine) {
    const ScreenPicture white = filledPicture(WhiteWord);
    const TransmitterSettings on = settingsWithSync(true);
    for (int line = 0; line < LinesPerFrame; ++line) {
        for (int position = 0; position < LineSamples; ++position) {
            const float expected = position < 4 ? 162.0f : 194.0009765625f;
            ASSERT_EQ(toneLevel(white, on, line, position), expected) << line << "," << position;
        }
    }

    // With the pulse at black level, a black frame is the same with or
    // without sync; at 162 every sample after the first pulse differs.
    TransmitterSettings blackPulse = on;
    blackPulse.syncPulseLevel = 226;
    auto off = std::make_unique<FrameBuffer>();
    auto same = std::make_unique<FrameBuffer>();
    auto pulsed = std::make_unique<FrameBuffer>();
    const ScreenPicture black;
    synthesizeFrame(black, settingsWithSync(false), *off);
    synthesizeFrame(black, blackPulse, *same);
    synthesizeFrame(black, on, *pulsed);
    int differing = 0;
    for (int n = 0; n < FrameSamples; ++n) {
        ASSERT_EQ(same->frames[n].left, off->frames[n].left) << n;
        differing += pulsed->frames[n].left != off->frames[n].left;
    }
    EXPECT_GT(differing, FrameSamples * 9 / 10);
}

TEST(Synthesis, WhiteRightColumnsGiveAWhiteFirstLineOnly) {
    ScreenPicture picture;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 93; column < 96; ++column) setPictureWord(picture, row, column, WhiteWord);
    auto buffer = std::make_unique<FrameBuffer>();
    auto allWhite = std::make_unique<FrameBuffer>();
    synthesizeFrame(picture, settingsWithSync(false), *buffer);
    synthesizeFrame(filledPicture(WhiteWord), settingsWithSync(false), *allWhite);

    EXPECT_EQ(leftSamples(*buffer, 0, 121), leftSamples(*allWhite, 0, 121));
    EXPECT_NEAR(frameFrequency(*buffer, 1, 120), 2348.4, 2.0);
    EXPECT_NEAR(frameFrequency(*buffer, 121, 3720), 1727.7, ToneTolerance);
}

TEST(Synthesis, LevelsGiveTheirTones) {
    auto black = std::make_unique<FrameBuffer>();
    auto white = std::make_unique<FrameBuffer>();
    synthesizeFrame(ScreenPicture{}, settingsWithSync(false), *black);
    synthesizeFrame(filledPicture(WhiteWord), settingsWithSync(false), *white);
    EXPECT_NEAR(frameFrequency(*black, 1, 3840), 1727.7, ToneTolerance);
    EXPECT_NEAR(frameFrequency(*white, 1, 3840), 2348.4, ToneTolerance);

    // The sync level never fills a whole frame, so its tone is taken from a
    // steady run of its phase steps.
    std::vector<double> sync;
    float phase = 0.0f;
    for (int n = 0; n < 3840; ++n) {
        phase = static_cast<float>(phase + phaseStep(162.0f));
        sync.push_back(std::nearbyint(4096.0f * static_cast<float>(std::sin(phase))));
    }
    EXPECT_NEAR(measuredFrequency(sync), 2969.0, ToneTolerance);

    // 19.40 Hz lower for every unit of level.
    const double perUnit = (phaseStep(200.0f) - phaseStep(199.0f)) / (2 * M_PI) * SampleRate;
    EXPECT_NEAR(perUnit, 19.40, 0.005);
}
