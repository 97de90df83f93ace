// What the receiver's controls, bars and menu commands do to its settings.
#include <gtest/gtest.h>

#include "dialog/WindowSystem.h"
#include "tests/viewer/ViewerTestSupport.h"

using namespace win;
using namespace viewer_id;

TEST(ViewerScroll, StepsPerBarAndReadouts) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::sendScroll(w, SlantBar, SB_PAGEDOWN);
        EXPECT_EQ(s.lineSamples, 121);  // the slant bar's page step is one sample
        EXPECT_EQ(readout(w, SlantReadout), "1");
        dialog::sendScroll(w, SlantBar, SB_PAGEUP);
        dialog::sendScroll(w, SlantBar, SB_LINEUP);
        EXPECT_EQ(s.lineSamples, 119);
        dialog::sendScroll(w, FrameRateBar, SB_PAGEDOWN);
        EXPECT_EQ(s.frameSamples, 3851);
        dialog::sendScroll(w, ContrastBar, SB_PAGEUP);
        EXPECT_EQ(s.contrast, 440);
        dialog::sendScroll(w, SyncLevelBar, SB_LINEDOWN);
        EXPECT_EQ(s.syncLevel, 129);
        EXPECT_EQ(dialog::scrollPos(w, SyncLevelBar), 129);
        dialog::sendScroll(w, BrightnessBar, SB_THUMBTRACK, 300);
        EXPECT_EQ(s.brightness, 300);
        EXPECT_EQ(readout(w, BrightnessReadout), "300");
        EXPECT_EQ(readout(w, FrameRateReadout), dialog::numberText(10000.0 / 3851));
    });
}

TEST(ViewerScroll, HomeEndAndThumbReleaseChangeNothingButRefreshReadouts) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        s.contrast = 999;  // changed behind the readouts' back
        for (int code : {SB_TOP, SB_BOTTOM, SB_THUMBPOSITION, SB_ENDSCROLL}) {
            dialog::sendScroll(w, BrightnessBar, code, 17);
            EXPECT_EQ(s.brightness, 277) << code;
        }
        EXPECT_EQ(readout(w, ContrastReadout), "999");
    });
}

TEST(ViewerScroll, BrightnessPastTheTopOfItsBar) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::sendScroll(w, BrightnessBar, SB_THUMBTRACK, 0);
        dialog::sendScroll(w, BrightnessBar, SB_LINEUP);
        EXPECT_EQ(s.brightness, -1);
        EXPECT_EQ(readout(w, BrightnessReadout), "-1");
        EXPECT_EQ(dialog::scrollPos(w, BrightnessBar), 0);
    });
}

TEST(ViewerScroll, FrameLengthPastTheBottomIsCutBeforeTheNextEvent) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::sendScroll(w, FrameRateBar, SB_THUMBTRACK, 16800);
        dialog::sendScroll(w, FrameRateBar, SB_LINEDOWN);
        EXPECT_EQ(readout(w, FrameRateReadout), dialog::numberText(10000.0 / 16801));
        // Any next event runs the capture preamble first.
        dialog::sendScroll(w, SyncLevelBar, SB_ENDSCROLL);
        EXPECT_EQ(s.frameSamples, 16800);
        EXPECT_EQ(readout(w, FrameRateReadout), ".595238095238095");
    });
}

TEST(ViewerScroll, FrameAndLineLengthsStayWithinTheirBars) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::sendScroll(w, FrameRateBar, SB_THUMBTRACK, 2400);
        dialog::sendScroll(w, FrameRateBar, SB_PAGEUP);
        EXPECT_EQ(s.frameSamples, 2400);
        dialog::sendScroll(w, SlantBar, SB_THUMBTRACK, 180);
        dialog::sendScroll(w, SlantBar, SB_LINEDOWN);
        EXPECT_EQ(s.lineSamples, 180);
        dialog::sendScroll(w, SlantBar, SB_THUMBTRACK, 100);
        dialog::sendScroll(w, SlantBar, SB_PAGEUP);
        EXPECT_EQ(s.lineSamples, 100);
    });
}

TEST(ViewerControls, DemodulatorChoiceSetsLevelsAndPolarity) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::clickControl(w, AmDemodulator);
        EXPECT_EQ(s.demodMode, DemodAM);
        EXPECT_EQ(s.contrast, 7);
        EXPECT_EQ(s.brightness, 350);
        EXPECT_EQ(s.polarity, -1);
        EXPECT_EQ(dialog::scrollPos(w, ContrastBar), 7);
        EXPECT_EQ(readout(w, BrightnessReadout), "350");
        EXPECT_EQ(dialog::checkState(w, FmDemodulator), 0);
        EXPECT_EQ(dialog::checkState(w, InvertPicture), 0);
        dialog::sendScroll(w, ContrastBar, SB_PAGEDOWN);
        dialog::clickControl(w, AmDemodulator);  // the same radio again sets the same values
        EXPECT_EQ(s.contrast, 7);
        dialog::clickControl(w, FmDemodulator);
        EXPECT_EQ(s.contrast, 450);
        EXPECT_EQ(s.brightness, 277);
        EXPECT_EQ(s.polarity, 1);
    });
}

TEST(ViewerControls, FiltersInvertAndSync) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::clickControl(w, LowPass800);
        EXPECT_EQ(s.lowPassCutoff, 800);
        EXPECT_EQ(dialog::checkState(w, LowPass1500), 0);
        dialog::clickControl(w, LowPass1200);
        EXPECT_EQ(s.lowPassCutoff, 1200);
        dialog::clickControl(w, InvertPicture);
        EXPECT_EQ(s.polarity, -1);
        EXPECT_EQ(dialog::checkState(w, InvertPicture), 1);
        dialog::clickControl(w, SyncOn);
        EXPECT_EQ(s.syncOn, 1);
        EXPECT_EQ(s.lineSamples, 119);
        EXPECT_EQ(readout(w, SlantReadout), "-1");
        dialog::clickControl(w, SyncOn);
        EXPECT_EQ(s.lineSamples, 120);
    });
}

TEST(ViewerControls, FramePictureShortensAndRestoresTheFrame) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::clickControl(w, FramePicture);
        EXPECT_EQ(s.framePicture, -1);
        EXPECT_EQ(s.frameSamples, 3721);
        EXPECT_EQ(dialog::scrollPos(w, FrameRateBar), 3721);
        EXPECT_EQ(readout(w, FrameRateReadout), dialog::numberText(10000.0 / 3721));
        dialog::clickControl(w, FramePicture);
        EXPECT_EQ(s.frameSamples, 3841);
    });
}

TEST(ViewerMenu, HelpAndAboutBoxes) {
    withViewer([](HWND w) {
        dialog::sendMenuCommand(w, MenuHelp);
        dialog::sendMenuCommand(w, MenuAbout);
        ASSERT_EQ(shownBoxes.size(), 2u);
        EXPECT_EQ(shownBoxes[0].caption, "HELP notes");
        EXPECT_EQ(shownBoxes[0].style, MB_OK | MB_ICONINFORMATION);
        const std::string& help = shownBoxes[0].text;
        EXPECT_EQ(help.rfind("1. Tune signal in the same way as for SSTV\r\n", 0), 0u);
        EXPECT_NE(help.find("\r\n9. INVERT PICTURE changes picture from positive to negative "
                            "(for AM demodulation if needed)"),
                  std::string::npos);
        EXPECT_NE(help.back(), '\n');
        int lines = 1;
        for (char c : help) lines += c == '\n';
        EXPECT_EQ(lines, 9);
        EXPECT_EQ(shownBoxes[1].caption, "Orvane Viewer");
        EXPECT_EQ(shownBoxes[1].text.rfind("32 line, Orvane AM/FM mono viewer\r\nby Kelbrin\r\nVersion ", 0), 0u);
    });
}

TEST(ViewerMenu, SampleRateChangesReinitialiseKeepingFrameAndBrightness) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::clickControl(w, SyncOn);  // lineSamples 119, sync on
        dialog::sendScroll(w, BrightnessBar, SB_PAGEDOWN);
        dialog::sendScroll(w, ContrastBar, SB_PAGEDOWN);
        dialog::clickControl(w, LowPass800);
        commandThen(w, MenuIncreaseRate, [w, &s]() {
            EXPECT_EQ(s.sampleRate, 10200);
            EXPECT_EQ(s.restarting, 1);
            EXPECT_EQ(s.frameSamples, 3841);
            EXPECT_EQ(s.brightness, 287);
            EXPECT_EQ(s.contrast, 450);
            EXPECT_EQ(s.lineSamples, 119);  // neutral for sync on
            EXPECT_EQ(readout(w, SlantReadout), "-1");
            EXPECT_EQ(s.syncOn, 1);
            EXPECT_EQ(readout(w, PictureLevelReadout), "10200");
            EXPECT_EQ(readout(w, FrameRateReadout), dialog::numberText(10200.0 / 3841));
            // The marks show the filter in force, not the start choice.
            EXPECT_EQ(dialog::checkState(w, LowPass800), 1);
            EXPECT_EQ(dialog::checkState(w, LowPass1500), 0);
            dialog::clickControl(w, SyncOn);  // off again: one sample longer
            EXPECT_EQ(s.lineSamples, 120);
        });
        EXPECT_FALSE(dialog::windowExists(w));
    });
}

TEST(ViewerMenu, PresetsAndTheEightThousandRate) {
    withViewer([](HWND w) {
        ReceiverSettings& s = viewer.settings;
        dialog::clickControl(w, FramePicture);
        commandThen(w, MenuRate312, [w, &s]() {
            EXPECT_EQ(s.sampleRate, 12000);
            EXPECT_EQ(s.frameSamples, 3841);
            // The preset's length already gave the line back: the next
            // press starts the drift again instead of reversing it.
            EXPECT_EQ(s.framePicture, 1);
            dialog::clickControl(w, FramePicture);
            EXPECT_EQ(s.frameSamples, 3721);
            dialog::sendScroll(w, FrameRateBar, SB_THUMBTRACK, 4000);
            commandThen(w, MenuRate208, [w, &s]() {
                EXPECT_EQ(s.sampleRate, 8000);
                EXPECT_EQ(s.frameSamples, 4000);
                EXPECT_EQ(readout(w, FrameRateReadout), "2");
                commandThen(w, MenuRate234, [w, &s]() {
                    EXPECT_EQ(s.sampleRate, 9000);
                    EXPECT_EQ(s.frameSamples, 3841);
                    commandThen(w, MenuDecreaseRate, [w, &s]() {
                        EXPECT_EQ(s.sampleRate, 8800);
                        // Exit from four nested shows ends them all.
                        dialog::sendMenuCommand(w, MenuExit);
                        EXPECT_FALSE(dialog::windowExists(w));
                    });
                });
            });
        });
        EXPECT_FALSE(dialog::windowExists(w));
    });
}
