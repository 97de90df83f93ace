// Re-initialisation keeps the receiver's state consistent: line length per
// sync state, contrast per demodulator, "Frame picture" after a preset, the
// "Invert picture" mark per demodulator, and "No sound input" while
// capture is not running.
#include <gtest/gtest.h>

#include "dialog/ToolWindows.h"
#include "dialog/WindowSystem.h"
#include "tests/viewer/CaptureTestSupport.h"
#include "tests/viewer/ViewerTestSupport.h"

using namespace win;
using namespace viewer_id;

namespace {
class ViewerMends : public ScriptedSoundTest {};
std::string pictureText(HWND w) { return dialog::pictureTextAt(w, PictureLeft, PictureTop); }
}  // namespace

TEST_F(ViewerMends, RateCommandKeepsLineLengthAndContrastOfTheStateInForce) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::clickControl(w, AmDemodulator);
        dialog::sendScroll(w, BrightnessBar, SB_PAGEDOWN);
        dialog::clickControl(w, SyncOn);
        commandThen(w, MenuIncreaseRate, [w, &s]() {
            EXPECT_EQ(s.demodMode, DemodAM);
            EXPECT_EQ(s.contrast, 7);
            EXPECT_EQ(readout(w, ContrastReadout), "7");
            EXPECT_EQ(dialog::scrollPos(w, ContrastBar), 7);
            EXPECT_EQ(s.brightness, 360);  // kept
            EXPECT_EQ(s.lineSamples, 119);
            EXPECT_EQ(dialog::scrollPos(w, SlantBar), 119);
            dialog::clickControl(w, FmDemodulator);
            dialog::clickControl(w, SyncOn);
            commandThen(w, MenuDecreaseRate, [w, &s]() {
                EXPECT_EQ(s.contrast, 450);
                EXPECT_EQ(s.lineSamples, 120);
                EXPECT_EQ(readout(w, SlantReadout), "0");
            });
        });
    });
}

TEST_F(ViewerMends, PresetsWithTheirOwnFrameLengthEndTheFramingDrift) {
    for (int preset : {MenuRate312, MenuRate260, MenuRate234}) {
        withViewer([preset](HWND w) {
            ReceiverSettings& s = viewer.settings;
            dialog::clickControl(w, FramePicture);
            ASSERT_EQ(s.framePicture, -1);
            commandThen(w, preset, [w, &s]() {
                EXPECT_EQ(s.frameSamples, 3841);
                EXPECT_EQ(s.framePicture, 1);
                dialog::clickControl(w, FramePicture);  // starts a drift, one line short
                EXPECT_EQ(s.frameSamples, 3841 - 120);
            });
        });
    }
    // The 8000 rate keeps the frame length, and with it the drift in progress.
    withViewer([](HWND w) {
        dialog::clickControl(w, FramePicture);
        commandThen(w, MenuRate208, []() {
            EXPECT_EQ(viewer.settings.framePicture, -1);
            EXPECT_EQ(viewer.settings.frameSamples, 3721);
        });
    });
}

TEST_F(ViewerMends, DemodulatorRadiosClearTheInvertMark) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::clickControl(w, InvertPicture);
        ASSERT_EQ(dialog::checkState(w, InvertPicture), 1);
        ASSERT_EQ(s.polarity, -1);
        dialog::clickControl(w, AmDemodulator);
        EXPECT_EQ(dialog::checkState(w, InvertPicture), 0);
        EXPECT_EQ(s.polarity, -1);  // AM's normal
        dialog::clickControl(w, InvertPicture);
        EXPECT_EQ(s.polarity, 1);
        dialog::clickControl(w, FmDemodulator);
        EXPECT_EQ(dialog::checkState(w, InvertPicture), 0);
        EXPECT_EQ(s.polarity, 1);  // FM's normal, positive as the mark says
        dialog::clickControl(w, FmDemodulator);  // again: still normal
        EXPECT_EQ(s.polarity, 1);
    });
}

TEST_F(ViewerMends, NoSoundInputShowsWhileCaptureIsNotRunning) {
    wavescript::setInputDevice(false);
    withViewer([](HWND w) { EXPECT_EQ(pictureText(w), "No sound input"); });

    wavescript::setInputDevice(true, 8000, 11000);
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        EXPECT_EQ(pictureText(w), "");
        ASSERT_TRUE(wavescript::fillNextInput(tone(2000, nbtv::SignalRate, nbtv::FrameSamples)));
        dialog::processPendingEvents();
        EXPECT_EQ(pictureText(w), "");
        commandThen(w, MenuRate312, [w]() {  // 12000 is refused
            dialog::processPendingEvents();  // the stale buffers come back and are drawn
            EXPECT_EQ(pictureText(w), "No sound input");
            commandThen(w, MenuRate260, [w]() {  // 10000 is taken again
                dialog::processPendingEvents();
                EXPECT_EQ(pictureText(w), "No sound input");  // until a frame arrives
                ASSERT_TRUE(wavescript::fillNextInput(tone(2000, nbtv::SignalRate, nbtv::FrameSamples)));
                dialog::processPendingEvents();
                EXPECT_EQ(pictureText(w), "");
            });
        });
    });
}
