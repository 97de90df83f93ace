// The transmitter's tone synthesis: known frames, the scan order of the
// picture, sync pulses and the tones that levels give.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "transmitter/Synthesis.h"

using namespace tx;

namespace {

TransmitterSettings sending(bool lineSync, int pulseLevel = 162) {
    return TransmitterSettings{200, 200, lineSync ? -1 : +1, pulseLevel};
}

ScreenPicture filled(std::uint16_t word) {
    ScreenPicture picture;
    picture.words.fill(word);
    return picture;
}

std::unique_ptr<FrameBuffer> frameOf(const ScreenPicture& picture, const TransmitterSettings& settings) {
    auto buffer = std::make_unique<FrameBuffer>();
    synthesizeFrame(picture, settings, *buffer);
    return buffer;
}

// Frequency from the interpolated upward zero crossings of samples [from, to).
double toneOf(const std::vector<double>& s, int from, int to) {
    double first = -1, last = -1;
    int cycles = 0;
    for (int n = from + 1; n < to; ++n)
        if (s[n - 1] < 0 && s[n] >= 0) {
            const double at = n - 1 + s[n - 1] / (s[n - 1] - s[n]);
            if (first < 0) first = at; else ++cycles;
            last = at;
        }
    return cycles * SampleRate / (last - first);
}

std::vector<double> leftOf(const FrameBuffer& buffer) {
    std::vector<double> samples;
    for (const StereoFrame& frame : buffer.frames) samples.push_back(frame.left);
    return samples;
}

// Each step added to a single-precision phase of thousands of radians is
// rounded the same way for a steady tone, which moves the tone on the air
// by up to about 0.3 Hz from its nominal value.
constexpr double ToneTolerance = 0.4;

}  // namespace

TEST(Synthesis, ReproducesKnownFrames) {
    const struct {
        std::uint16_t word;
        bool sync;
        std::vector<int> start;
        float endPhase;
    } cases[] = {
        {0, false, {0, -3623, -3380, 470, 3819, 3092, -934, -3963}, 19958.22f},
        {WhiteWord, false, {0, -4077, -776, 3930, 1524, -3640, -2216, 3218}, 18461.71f},
        {0, true, {0, -3919, 2277, 2597, -3785, -3150, 847, 3940}, 19858.43f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        FrameBuffer buffer;
        const float endPhase = synthesizeFrame(filled(c.word), sending(c.sync), buffer);
        for (int n = 0; n < 8; ++n) EXPECT_EQ(buffer.frames[n].left, c.start[n]) << n;
        EXPECT_NEAR(endPhase, c.endPhase, 0.005f);
    }
}

TEST(Synthesis, EveryFrameStartsAfreshAndLeavesTheRightChannelSilent) {
    ScreenPicture picture;
    for (int i = 0; i < PictureWords; ++i) picture.words[i] = static_cast<std::uint16_t>(i * 2654435761u % 0x8000);
    auto used = frameOf(filled(WhiteWord), sending(true));
    synthesizeFrame(picture, sending(false), *used);
    const auto fresh = frameOf(picture, sending(false));
    EXPECT_EQ(used->frames[0].left, 0);
    for (int n = 0; n < FrameSamples; ++n) {
        ASSERT_EQ(used->frames[n].right, 0) << n;
        ASSERT_EQ(used->frames[n].left, fresh->frames[n].left) << n;
    }
}

TEST(Synthesis, ScansColumnsRightToLeftAndRowsBottomUp) {
    ScreenPicture picture;
    for (int column = 0; column < 3; ++column) setPictureWord(picture, 7, column, WhiteWord);
    setPictureWord(picture, 0, 93, 0x0400);  // red 1, 2 and 3: mean word 2048
    setPictureWord(picture, 0, 94, 0x0800);
    setPictureWord(picture, 0, 95, 0x0C00);
    EXPECT_EQ(toneLevel(picture, sending(false), 31, 7), 194.0009765625f);
    EXPECT_EQ(toneLevel(picture, sending(false), 31, 6), 226.0f);
    EXPECT_EQ(toneLevel(picture, sending(false), 30, 7), 226.0f);
    EXPECT_EQ(toneLevel(picture, sending(false), 0, 0), 224.0f);
    EXPECT_EQ(toneLevel(picture, sending(false), 0, 1), 226.0f);
}

TEST(Synthesis, SyncPulseTakesTheFirstFourPositionsOfEveryLine) {
    const ScreenPicture white = filled(WhiteWord);
    for (int line = 0; line < LinesPerFrame; ++line)
        for (int position = 0; position < LineSamples; ++position)
            ASSERT_EQ(toneLevel(white, sending(true), line, position),
                      position < 4 ? 162.0f : 194.0009765625f) << line << "," << position;

    // A pulse at black level leaves a black frame as it was without sync.
    const auto off = frameOf(ScreenPicture{}, sending(false));
    const auto blackPulse = frameOf(ScreenPicture{}, sending(true, 226));
    for (int n = 0; n < FrameSamples; ++n) ASSERT_EQ(blackPulse->frames[n].left, off->frames[n].left) << n;
}

TEST(Synthesis, LevelsGiveTheirTones) {
    const std::vector<double> black = leftOf(*frameOf(ScreenPicture{}, sending(false)));
    const std::vector<double> white = leftOf(*frameOf(filled(WhiteWord), sending(false)));
    EXPECT_NEAR(toneOf(black, 1, FrameSamples), 1727.7, ToneTolerance);
    EXPECT_NEAR(toneOf(white, 1, FrameSamples), 2348.4, ToneTolerance);

    // White in the three right columns: a white first line, then black.
    ScreenPicture rightEdge;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 93; column < 96; ++column) setPictureWord(rightEdge, row, column, WhiteWord);
    const std::vector<double> edge = leftOf(*frameOf(rightEdge, sending(false)));
    EXPECT_TRUE(std::equal(edge.begin(), edge.begin() + 121, white.begin()));
    EXPECT_NEAR(toneOf(edge, 121, FrameSamples), 1727.7, ToneTolerance);

    // The sync level never fills a frame; its tone comes from its steps.
    std::vector<double> sync;
    float phase = 0.0f;
    for (int n = 0; n < 3840; ++n) {
        phase = static_cast<float>(phase + phaseStep(162.0f));
        sync.push_back(std::nearbyint(4096.0f * static_cast<float>(std::sin(phase))));
    }
    EXPECT_NEAR(toneOf(sync, 0, 3840), 2969.0, ToneTolerance);
    EXPECT_NEAR((phaseStep(200.0f) - phaseStep(199.0f)) / (2 * M_PI) * SampleRate, 19.40, 0.005);
}
