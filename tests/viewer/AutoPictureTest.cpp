// The "Sample rate" menu's automatic picture: off at start, calibrated
// levels on the bars, a hand-set frame timing taking over, and the live
// picture with automatic framing exactly what nbtvcodec decode --auto makes
// of the same samples.
#include <gtest/gtest.h>

#include <QImage>

#include "dialog/WindowSystem.h"
#include "tests/codec/DecodeTestSupport.h"
#include "tests/common/SentSignal.h"
#include "tests/viewer/CaptureTestSupport.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/AutoPicture.h"
#include "dialog/ToolWindows.h"

using namespace win;
using namespace viewer_id;

namespace {

std::string savedAs;
std::string answerSave(const std::string&, const std::string&) { return savedAs; }

// The picture in the window and in a saved file, as grey bytes, top row first.
std::vector<std::uint8_t> windowGrey(HWND w) {
    std::vector<std::uint32_t> shown(PictureWidth * ShownRows);
    int width = 0, height = 0;
    EXPECT_TRUE(dialog::pictureAt(w, PictureLeft, PictureTop, width, height, shown.data(),
                                  static_cast<int>(shown.size())));
    std::vector<std::uint8_t> grey;
    for (std::uint32_t pixel : shown) grey.push_back(static_cast<std::uint8_t>(pixel & 0xFF));
    return grey;
}

std::vector<std::uint8_t> fileGrey(const std::string& path) {
    const QImage image = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_Grayscale8);
    std::vector<std::uint8_t> grey;
    for (int y = 0; y < image.height(); ++y)
        grey.insert(grey.end(), image.constScanLine(y), image.constScanLine(y) + image.width());
    return grey;
}

class AutoPicture : public ScriptedSoundTest {};

TEST_F(AutoPicture, OffAtStartLevelsFromTheDetectorAndHandTimingTakesOver) {
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        EXPECT_FALSE(dialog::menuItemChecked(w, MenuAutoFraming));
        EXPECT_FALSE(dialog::menuItemChecked(w, MenuNoiseReduction));
        EXPECT_FALSE(autoFramingOn());

        dialog::sendMenuCommand(w, MenuCalibratedLevels);
        EXPECT_EQ(viewer.settings.brightness, 370);
        EXPECT_EQ(viewer.settings.contrast, 687);
        EXPECT_EQ(readout(w, BrightnessReadout), "370");
        EXPECT_EQ(readout(w, ContrastReadout), "687");

        dialog::sendMenuCommand(w, MenuAutoFraming);
        EXPECT_TRUE(dialog::menuItemChecked(w, MenuAutoFraming));
        // The brightness bar leaves it on; the frame-rate bar takes over.
        dialog::sendScroll(w, BrightnessBar, SB_LINEDOWN);
        EXPECT_TRUE(autoFramingOn());
        dialog::sendScroll(w, FrameRateBar, SB_LINEDOWN);
        EXPECT_FALSE(autoFramingOn());
        EXPECT_FALSE(dialog::menuItemChecked(w, MenuAutoFraming));
        EXPECT_EQ(readout(w, FrameRateReadout), core::numberText(10000.0 / 3842));
        // "Frame picture" takes over as well.
        dialog::sendMenuCommand(w, MenuAutoFraming);
        dialog::clickControl(w, FramePicture);
        EXPECT_FALSE(autoFramingOn());
    });
}

// The mean level of the window's picture after a frame of one tone, at the
// amplitude the sender's tone has in an 8-bit capture.
double meanAfterTone(HWND w, double hz) {
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_TRUE(wavescript::fillNextInput(tone(hz, nbtv::SignalRate, nbtv::FrameSamples, 16)));
        dialog::processPendingEvents();
    }
    const std::vector<std::uint8_t> grey = windowGrey(w);
    double sum = 0;
    for (std::uint8_t level : grey) sum += level;
    return sum / static_cast<double>(grey.size());
}

TEST_F(AutoPicture, CalibratedLevelsFollowInvertAndGiveATrueNegativeInFmAndAm) {
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        dialog::sendMenuCommand(w, MenuCalibratedLevels);
        EXPECT_TRUE(dialog::menuItemChecked(w, MenuCalibratedLevels));
        EXPECT_LT(meanAfterTone(w, nbtv::BlackToneHz), 12);
        EXPECT_GT(meanAfterTone(w, nbtv::WhiteToneHz), 243);
        for (const int demodulator : {FmDemodulator, AmDemodulator}) {
            dialog::clickControl(w, demodulator);
            const double black = meanAfterTone(w, nbtv::BlackToneHz), white = meanAfterTone(w, nbtv::WhiteToneHz);
            dialog::clickControl(w, InvertPicture);
            EXPECT_NEAR(meanAfterTone(w, nbtv::BlackToneHz), 255 - black, 8) << demodulator;
            EXPECT_NEAR(meanAfterTone(w, nbtv::WhiteToneHz), 255 - white, 8) << demodulator;
        }
        // Brightness set by hand takes over: the mark goes, the bar stays.
        dialog::sendScroll(w, BrightnessBar, SB_LINEDOWN);
        EXPECT_FALSE(dialog::menuItemChecked(w, MenuCalibratedLevels));
        const std::string brightness = readout(w, BrightnessReadout);
        dialog::clickControl(w, InvertPicture);
        EXPECT_EQ(readout(w, BrightnessReadout), brightness);
    });
}

double meanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
    return sum / static_cast<double>(a.size());
}

TEST_F(AutoPicture, SearchingShowsThePlainPictureAndSaysSoUntilFramedAndUntickingKeepsIt) {
    // The transmitter's sound from the middle of a frame, as one stream.
    const std::vector<std::uint8_t> sound =
        eightBit(recorded(sentFrames(randomPicture(1), false, 28), 0, 2222.5));
    withViewer([&](HWND w) {
        dialog::processPendingEvents();
        dialog::sendMenuCommand(w, MenuCalibratedLevels);
        dialog::sendMenuCommand(w, MenuAutoFraming);
        std::size_t at = 0;
        auto play = [&](int frames) {
            for (int i = 0; i < frames && at + nbtv::FrameSamples <= sound.size(); ++i, at += nbtv::FrameSamples) {
                ASSERT_TRUE(wavescript::streamInput(sound.data() + at, nbtv::FrameSamples));
                dialog::processPendingEvents();
            }
        };
        play(1);
        EXPECT_EQ(dialog::pictureNote(w, PictureLeft, PictureTop), "Searching for frames");
        for (int frame = 1; frame < 20 && !dialog::pictureNote(w, PictureLeft, PictureTop).empty(); ++frame)
            play(1);
        ASSERT_EQ(dialog::pictureNote(w, PictureLeft, PictureTop), "");
        play(2);
        const std::vector<std::uint8_t> framed = windowGrey(w);
        dialog::sendMenuCommand(w, MenuAutoFraming);
        play(4);
        // The plain receiver, one frame per buffer, shows the same picture.
        EXPECT_LT(meanDifference(windowGrey(w), framed), 4.0);
    });
}

TEST_F(AutoPicture, LivePictureIsWhatDecodeAutoMakesOfTheSameSamples) {
    // Twelve frames of the transmitter's sound, recorded 300 ppm slow from
    // the middle of a frame; shown as they come, and averaged ("Noise
    // reduction", --average 4).
    const std::vector<std::uint8_t> sound =
        eightBit(recorded(sentFrames(randomPicture(1), false, 13), 300, 1611.5));
    for (const bool averaged : {false, true}) {
        decodetest::TempDir dir;
        decodetest::writeBytes(dir / "sound.wav", sound);
        std::vector<std::string> args = {dir / "sound.wav", "--auto", "--dump-store", dir / "stores"};
        if (averaged) args.insert(args.end(), {"--average", "4"});
        const decodetest::DecodeRun run = decodetest::decode(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string stores = decodetest::readFile(dir / "stores");
        ASSERT_GE(stores.size(), 8 * PictureStoreBytes);
        const std::string last = stores.substr(stores.size() - PictureStoreBytes);

        withViewer([&](HWND w) {
            dialog::processPendingEvents();
            CaptureShadow shadow;
            shadow.learnHeaders();
            dialog::sendMenuCommand(w, MenuCalibratedLevels);
            dialog::sendMenuCommand(w, MenuAutoFraming);
            if (averaged) dialog::sendMenuCommand(w, MenuNoiseReduction);
            for (std::size_t at = 0; at + nbtv::FrameSamples <= sound.size(); at += nbtv::FrameSamples)
                ASSERT_GE(shadow.deliver(std::vector<std::uint8_t>(sound.begin() + static_cast<long>(at),
                                                                   sound.begin() + static_cast<long>(at) + nbtv::FrameSamples)),
                          0);
            // Readout 102 shows the measured frame rate: 300 ppm below 2.6035.
            EXPECT_NEAR(std::stod(readout(w, FrameRateReadout)), 10000.0 / (3841 * 1.0003), 0.0002);
            std::copy(last.begin(), last.end(), shadow.picture.bytes.begin());
            shadow.framesScanned = 2;
            shadow.expectPictureShown(w);
            // "Save picture" saves the picture as shown, the average with noise reduction.
            savedAs = dir / "saved.png";
            dialog::setSaveFileHook(answerSave);
            dialog::sendMenuCommand(w, MenuSavePicture);
            dialog::setSaveFileHook(nullptr);
            EXPECT_EQ(fileGrey(savedAs), windowGrey(w));
            // The menu's state lives as long as the program: both off again.
            if (averaged) dialog::sendMenuCommand(w, MenuNoiseReduction);
            dialog::sendMenuCommand(w, MenuAutoFraming);
        });
    }
}

}  // namespace
