// Frames cut where the tracker finds them, through the receiver's own
// signal path with calibrated levels: the picture shows as sent, upright
// and in place, black at 0 and white at 255.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/common/SentSound.h"
#include "viewer/FramedPictures.h"
#include "viewer/CalibratedLevels.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureAverage.h"

namespace {

using namespace rx;

ReceiverSettings fmSettings(int cutoff) {
    ReceiverSettings s;
    s.sampleRate = 10000;
    s.frameSamples = 3841;
    s.lineSamples = 120;
    s.syncLevel = 128;
    s.syncOn = -1;
    s.framePicture = s.bufferTurn = s.polarity = 1;
    s.lowPassCutoff = cutoff;
    s.demodMode = DemodFM;
    const rx::Levels levels = rx::calibratedLevels(s);
    s.brightness = levels.brightness;
    s.contrast = levels.contrast;
    return s;
}

TEST(CalibratedLevels, FromTheDetectorsResponse) {
    ReceiverSettings s = fmSettings(1500);
    // sin of the tones' advance against the quarter-rate reference.
    EXPECT_NEAR(rx::toneResponse(rx::BlackToneHz, s), -0.46643, 1e-5);
    EXPECT_EQ(s.contrast, 687);
    EXPECT_EQ(s.brightness, 370);
    EXPECT_EQ(signalLevel(static_cast<float>(rx::toneResponse(rx::BlackToneHz, s)), s), 0);
    EXPECT_EQ(signalLevel(static_cast<float>(rx::toneResponse(rx::WhiteToneHz, s)), s), 255);
    // Inverted, a true negative.
    s.polarity = -1;
    const rx::Levels inverted = rx::calibratedLevels(s);
    s.brightness = inverted.brightness;
    s.contrast = inverted.contrast;
    EXPECT_EQ(signalLevel(static_cast<float>(rx::toneResponse(rx::BlackToneHz, s)), s), 255);
    EXPECT_EQ(signalLevel(static_cast<float>(rx::toneResponse(rx::WhiteToneHz, s)), s), 0);
    // AM rides on the filter's slope, so each filter gets its own levels.
    s.demodMode = DemodAM;
    s.polarity = 1;
    const rx::Levels am1500 = rx::calibratedLevels(s);
    s.lowPassCutoff = 800;
    const rx::Levels am800 = rx::calibratedLevels(s);
    EXPECT_NE(am1500.contrast, am800.contrast);
    EXPECT_LE(am800.contrast, 1024);
}

// Levels that rise and fall along the lines, slowly enough for the
// receiver's filters, and differ from line to line; the bottom row black.
std::vector<std::uint8_t> waveCard() {
    std::vector<std::uint8_t> grey(96 * 120);
    for (int row = 0; row < 120; ++row)
        for (int column = 0; column < 96; ++column)
            grey[static_cast<std::size_t>(row * 96 + column)] = static_cast<std::uint8_t>(
                row == 0 ? 0 : std::lround(127.5 + 127.5 * std::sin(2 * M_PI * (row + column / 3) / 40.0)));
    return grey;
}

// The mean distance of store rows 4..100 from the sent rows `shift` higher,
// on the lines' own columns.
double meanDistance(const PictureStore& store, const std::vector<std::uint8_t>& card, int shift) {
    double sum = 0;
    int count = 0;
    for (int row = 4; row <= 100; ++row)
        for (int line = 0; line < 32; ++line) {
            const int column = 93 - 3 * line;
            const int shown = store.bytes[static_cast<std::size_t>(row * PictureRowBytes + column * 3)];
            const std::size_t at = static_cast<std::size_t>((row + shift) * 96 + column);
            sum += std::abs(shown - (card[at] + card[at + 1] + card[at + 2]) / 3.0);
            ++count;
        }
    return sum / count;
}

TEST(AutoFraming, ShowsTheSentPictureUprightWithinARow) {
    const std::vector<std::uint8_t> card = waveCard();
    // A frame is cut once the sound past its end is in: twelve frames
    // sent give at least eight.
    const auto sound = sentSound(card, false, 12, 250, 1700.25);
    for (int cutoff : {800, 1500}) {
        const ReceiverSettings s = fmSettings(cutoff);
        rx::FramedPictures framed;
        framed.feed(sound.data(), sound.size());
        ASSERT_TRUE(framed.tracker().locked());
        FrameArrays arrays = makeFrameArrays(s.frameSamples);
        PictureStore store;
        int frames = 0;
        while (framed.next(s, store, arrays)) ++frames;
        EXPECT_GE(frames, 8);
        // Store row r holds sent row r, within a row (the filters blur the
        // rows and the clock's stretch spreads the lines' alignment over a
        // sample); three rows either way is far worse.
        double best = meanDistance(store, card, 0);
        for (int shift : {-1, 1}) best = std::min(best, meanDistance(store, card, shift));
        EXPECT_LT(best, 10) << "filter " << cutoff;
        EXPECT_GT(meanDistance(store, card, 3), best + 15) << "filter " << cutoff;
        EXPECT_GT(meanDistance(store, card, -3), best + 15) << "filter " << cutoff;
    }
}

TEST(PictureAverage, AveragesTheLastFew) {
    rx::PictureAverage average(4);
    PictureStore a, b;
    a.bytes[5] = 10;
    b.bytes[5] = 21;
    EXPECT_EQ(average.add(a).bytes[5], 10);
    EXPECT_EQ(average.add(b).bytes[5], 16);  // 15.5 rounds up
    average.add(b);
    average.add(b);
    EXPECT_EQ(average.add(b).bytes[5], 21);  // the first has gone
}

}  // namespace
