// Capture across sample-rate commands, and without a usable input device.
#include <gtest/gtest.h>

#include "dialog/ToolWindows.h"
#include "dialog/WindowSystem.h"
#include "tests/viewer/CaptureTestSupport.h"
#include "tests/viewer/ViewerTestSupport.h"

using namespace win;
using namespace viewer_id;
using wavescript::WaveCall;
using Names = std::vector<std::string>;
using Queue = std::vector<const WAVEHDR*>;

namespace {

class ViewerCaptureRestart : public ScriptedSoundTest {};

bool pictureDrawn(HWND w) {
    int width = 0, height = 0;
    return dialog::pictureAt(w, PictureLeft, PictureTop, width, height, nullptr, 0);
}

}  // namespace

TEST_F(ViewerCaptureRestart, StaleBuffersAreShownAndRequeuedThenTheNewDeviceStarts) {
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        CaptureShadow shadow;
        shadow.learnHeaders();
        const WAVEHDR* h1 = shadow.headers[0];
        const WAVEHDR* h2 = shadow.headers[1];
        // One frame in: buffer 2 is next, and queued first.
        ASSERT_EQ(shadow.deliver(tone(3000, nbtv::SignalRate, nbtv::FrameSamples)), 0);
        ASSERT_EQ(viewer.settings.bufferTurn, -1);
        dialog::sendScroll(w, FrameRateBar, SB_THUMBTRACK, 5000);
        const std::size_t mark = wavescript::calls().size();

        commandThen(w, MenuIncreaseRate, [&]() {
            // Stopped, closed and opened again before any notice is handled;
            // prepared with the frame length in force.
            const std::vector<WaveCall> restart = callsFrom(mark);
            ASSERT_EQ(callNames(restart),
                      (Names{"waveInReset", "waveInUnprepareHeader", "waveInUnprepareHeader",
                             "waveInClose", "waveInOpen", "waveInPrepareHeader",
                             "waveInPrepareHeader"}));
            for (const WaveCall& call : restart) EXPECT_EQ(call.result, MMSYSERR_NOERROR) << call.name;
            EXPECT_EQ(restart[1].header, h1);
            EXPECT_EQ(restart[2].header, h2);
            EXPECT_EQ(restart[4].sampleRate, 10200u);
            EXPECT_EQ(restart[5].header, h1);
            EXPECT_EQ(restart[5].length, 5000u);
            EXPECT_EQ(restart[6].header, h2);
            EXPECT_EQ(restart[6].length, 5000u);
            EXPECT_EQ(readout(w, PictureLevelReadout), "10200");

            // The two buffers the reset returned are processed and queued on
            // the new device; then its open notice queues nothing twice.
            const std::size_t pending = wavescript::calls().size();
            dialog::processPendingEvents();
            const std::vector<WaveCall> c = callsFrom(pending);
            ASSERT_EQ(callNames(c), (Names{"waveInAddBuffer", "waveInAddBuffer", "waveInAddBuffer",
                                           "waveInAddBuffer", "waveInStart"}));
            EXPECT_EQ(c[0].header, h2);
            EXPECT_EQ(c[0].length, 5000u);
            EXPECT_EQ(c[0].result, MMSYSERR_NOERROR);
            EXPECT_EQ(c[1].header, h1);
            EXPECT_EQ(c[1].result, MMSYSERR_NOERROR);
            EXPECT_EQ(c[2].header, h1);
            EXPECT_EQ(c[2].result, WAVERR_STILLPLAYING);
            EXPECT_EQ(c[3].header, h2);
            EXPECT_EQ(c[3].result, WAVERR_STILLPLAYING);
            EXPECT_EQ(c[4].result, MMSYSERR_NOERROR);
            EXPECT_EQ(wavescript::queuedInput(), (Queue{h2, h1}));
            EXPECT_EQ(viewer.settings.bufferTurn, -1);
            // The last stale frame shown is buffer 1's, read at the new length.
            EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(0));

            // Capture goes on at the new rate, in step.
            ASSERT_EQ(shadow.deliver(tone(2200, 10200, 5000)), 1);
            EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(1));
            ASSERT_EQ(shadow.deliver(tone(2800, 10200, 5000)), 0);
            EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(0));
            EXPECT_EQ(viewer.settings.bufferTurn, -1);

            // A preset sets its own frame length before the headers are
            // prepared again.
            const std::size_t again = wavescript::calls().size();
            commandThen(w, MenuRate312, [again]() {
                const std::vector<WaveCall> prepared =
                    callsNamed(callsFrom(again), "waveInPrepareHeader");
                ASSERT_EQ(prepared.size(), 2u);
                EXPECT_EQ(prepared[0].length, 3841u);
                EXPECT_EQ(callsNamed(callsFrom(again), "waveInOpen").at(0).sampleRate, 12000u);
                dialog::processPendingEvents();
                EXPECT_TRUE(wavescript::inputRecording());
                EXPECT_EQ(wavescript::queuedInput().size(), 2u);
            });
        });
    });
}

TEST_F(ViewerCaptureRestart, WithoutAnInputDeviceTheWindowWorksAndShowsNoPicture) {
    wavescript::setInputDevice(false);
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        const std::vector<WaveCall> c = wavescript::calls();
        ASSERT_EQ(callNames(c), (Names{"waveInOpen", "waveInPrepareHeader", "waveInPrepareHeader"}));
        EXPECT_EQ(c[0].result, MMSYSERR_NODRIVER);
        EXPECT_FALSE(wavescript::inputRecording());
        EXPECT_FALSE(wavescript::fillNextInput(tone(2000, nbtv::SignalRate, nbtv::FrameSamples)));
        EXPECT_EQ(readout(w, FrameRateReadout), "2.60348867482426");
        EXPECT_EQ(readout(w, PictureLevelReadout), "10000");

        dialog::sendScroll(w, BrightnessBar, SB_PAGEDOWN);
        EXPECT_EQ(readout(w, BrightnessReadout), "287");
        dialog::clickControl(w, FramePicture);
        EXPECT_EQ(viewer.settings.frameSamples, 3721);
        commandThen(w, MenuRate312, [w]() {
            dialog::processPendingEvents();
            EXPECT_EQ(readout(w, PictureLevelReadout), "12000");
            EXPECT_EQ(readout(w, FrameRateReadout), dialog::numberText(12000.0 / 3841));
            EXPECT_EQ(callNames(callsNamed(wavescript::calls(), "waveInAddBuffer")), Names{});
            // No received picture: the picture area says why.
            EXPECT_EQ(dialog::pictureTextAt(w, PictureLeft, PictureTop), "No sound input");
            dialog::sendMenuCommand(w, MenuExit);
        });
        EXPECT_FALSE(dialog::windowExists(w));
    });
}

TEST_F(ViewerCaptureRestart, RefusedRateStopsCaptureAndALaterRateResumesItInStep) {
    wavescript::setInputDevice(true, 8000, 11000);
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        CaptureShadow shadow;
        shadow.learnHeaders();
        ASSERT_EQ(shadow.deliver(tone(3000, nbtv::SignalRate, nbtv::FrameSamples)), 0);

        commandThen(w, MenuRate312, [&]() {
            // 12000 is refused: the stale buffers are still shown, but
            // nothing is queued and capture stays stopped.
            dialog::processPendingEvents();
            EXPECT_EQ(callsNamed(wavescript::calls(), "waveInOpen").back().result, WAVERR_BADFORMAT);
            EXPECT_TRUE(pictureDrawn(w));
            EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(0));
            EXPECT_FALSE(wavescript::inputRecording());
            dialog::sendScroll(w, ContrastBar, SB_PAGEUP);
            EXPECT_EQ(readout(w, ContrastReadout), "440");

            commandThen(w, MenuRate260, [&]() {
                dialog::processPendingEvents();
                EXPECT_TRUE(wavescript::inputRecording());
                EXPECT_EQ(wavescript::queuedInput(), (Queue{shadow.headers[0], shadow.headers[1]}));
                // Each frame comes from the buffer just filled, and the turn
                // follows the buffers again.
                ASSERT_EQ(shadow.deliver(tone(2200, nbtv::SignalRate, nbtv::FrameSamples)), 0);
                EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(0));
                EXPECT_EQ(viewer.settings.bufferTurn, -1);
                ASSERT_EQ(shadow.deliver(tone(2700, nbtv::SignalRate, nbtv::FrameSamples)), 1);
                EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(1));
                EXPECT_EQ(viewer.settings.bufferTurn, 1);
            });
        });
    });
}
