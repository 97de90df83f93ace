// The receiver's window at first start.
#include <gtest/gtest.h>

#include "dialog/WindowSystem.h"
#include "tests/viewer/ViewerTestSupport.h"

using namespace win;
using namespace viewer_id;

TEST(ViewerWindow, FirstStartReadoutsChecksAndBars) {
    withViewer([](HWND w) {
        EXPECT_EQ(readout(w, FrameRateReadout), "2.60348867482426");
        EXPECT_EQ(readout(w, BrightnessReadout), "277");
        EXPECT_EQ(readout(w, SlantReadout), "0");
        EXPECT_EQ(readout(w, ContrastReadout), "450");
        EXPECT_EQ(readout(w, SyncLevelReadout), "128");
        EXPECT_EQ(readout(w, PictureLevelReadout), "10000");
        EXPECT_EQ(dialog::checkState(w, LowPass1500), 1);
        EXPECT_EQ(dialog::checkState(w, FmDemodulator), 1);
        for (int id : {LowPass800, LowPass1200, AmDemodulator, InvertPicture, SyncOn})
            EXPECT_EQ(dialog::checkState(w, id), 0) << id;

        struct Bar { int id, lo, hi, pos; };
        for (Bar b : {Bar{FrameRateBar, 2400, 16800, 3841}, Bar{SlantBar, 100, 180, 120},
                      Bar{BrightnessBar, 0, 512, 277}, Bar{ContrastBar, 0, 1024, 450},
                      Bar{SyncLevelBar, 0, 255, 128}}) {
            int lo, hi;
            dialog::scrollRange(w, b.id, lo, hi);
            EXPECT_EQ(lo, b.lo) << b.id;
            EXPECT_EQ(hi, b.hi) << b.id;
            EXPECT_EQ(dialog::scrollPos(w, b.id), b.pos) << b.id;
        }
        const ReceiverSettings& s = viewer.settings;
        EXPECT_EQ(s.frameSamples, 3841);
        EXPECT_EQ(s.lineSamples, 120);
        EXPECT_EQ(s.polarity, 1);
        EXPECT_EQ(s.syncOn, -1);
        EXPECT_EQ(s.demodMode, DemodFM);
        EXPECT_EQ(s.lowPassCutoff, 1500);
        EXPECT_EQ(s.bufferTurn, 1);
        EXPECT_EQ(s.restarting, 0);
    });
}

TEST(ViewerWindow, ControlsCarryTheirTextsAndStyles) {
    withViewer([](HWND w) {
        EXPECT_EQ(dialog::controlText(w, FramePicture), "&Frame picture");
        EXPECT_EQ(dialog::controlText(w, LowPass1200), "1&200Hz");
        EXPECT_EQ(dialog::controlText(w, SyncOn), "&Sync on");
        EXPECT_EQ(dialog::controlStyle(w, FrameRateBar), WS_CHILD | WS_VISIBLE | SBS_VERT | WS_TABSTOP);
        EXPECT_EQ(dialog::controlStyle(w, LowPass800),
                  WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | WS_GROUP);
        EXPECT_EQ(dialog::controlStyle(w, FrameRateReadout),
                  WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_CENTERIMAGE);
        EXPECT_EQ(dialog::dialogStyle(w) & DS_CENTER, DS_CENTER);
        EXPECT_EQ(dialog::dialogStyle(w) & WS_VISIBLE, 0u);
    });
}

TEST(ViewerWindow, ExitEndsTheProgramCleanly) {
    withViewer([](HWND w) {
        dialog::sendMenuCommand(w, MenuExit);
        EXPECT_FALSE(dialog::windowExists(w));
        EXPECT_EQ(quitExitCode(), 0);
    });
}

TEST(ViewerWindow, ControlClicksNeverMatchAMenuCommand) {
    withViewer([](HWND w) {
        const ReceiverSettings before = viewer.settings;
        // Radio buttons already checked and the picture-neutral buttons: the
        // command that follows the control's own handler must change nothing.
        dialog::clickControl(w, LowPass1500);
        dialog::clickControl(w, FmDemodulator);
        EXPECT_EQ(viewer.settings.sampleRate, before.sampleRate);
        EXPECT_EQ(viewer.settings.restarting, 0);
        EXPECT_TRUE(dialog::windowExists(w));
        EXPECT_TRUE(shownBoxes.empty());
    });
}
