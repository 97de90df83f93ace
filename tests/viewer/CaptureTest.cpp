// The receiver's sound capture at work: the calls at first start, the two
// buffers taking turns, what each frame draws, the frame length reaching
// the buffers, and closing the window while capturing.
#include <gtest/gtest.h>

#include <mutex>

#include "dialog/WindowSystem.h"
#include "tests/viewer/CaptureTestSupport.h"
#include "tests/viewer/ViewerTestSupport.h"

using namespace win;
using namespace viewer_id;
using wavescript::WaveCall;
using Names = std::vector<std::string>;

namespace {

class ViewerCapture : public ScriptedSoundTest {};

bool pictureDrawn(HWND w) {
    int width = 0, height = 0;
    return dialog::pictureAt(w, PictureLeft, PictureTop, width, height, nullptr, 0);
}

}  // namespace

TEST_F(ViewerCapture, FirstStartOpensAndPreparesThenQueuesAndStartsOnTheOpenNotice) {
    withViewer([](HWND w) {
        // Open and prepare belong to the initialisation; the queueing waits
        // for the device's open notice.
        EXPECT_EQ(callNames(wavescript::calls()),
                  (Names{"waveInOpen", "waveInPrepareHeader", "waveInPrepareHeader"}));
        EXPECT_TRUE(wavescript::queuedInput().empty());
        dialog::processPendingEvents();

        const std::vector<WaveCall> c = wavescript::calls();
        ASSERT_EQ(callNames(c), (Names{"waveInOpen", "waveInPrepareHeader", "waveInPrepareHeader",
                                       "waveInAddBuffer", "waveInAddBuffer", "waveInStart"}));
        for (const WaveCall& call : c) EXPECT_EQ(call.result, MMSYSERR_NOERROR) << call.name;
        EXPECT_EQ(c[0].sampleRate, 10000u);
        const WAVEHDR* h1 = c[1].header;
        const WAVEHDR* h2 = c[2].header;
        ASSERT_NE(h1, h2);
        // Prepared for the whole buffer, queued with the first frame length.
        EXPECT_EQ(c[1].length, 16800u);
        EXPECT_EQ(c[2].length, 16800u);
        EXPECT_EQ(c[3].header, h1);
        EXPECT_EQ(c[3].length, 3841u);
        EXPECT_EQ(c[4].header, h2);
        EXPECT_EQ(c[4].length, 3841u);
        EXPECT_EQ(wavescript::queuedInput(), (std::vector<const WAVEHDR*>{h1, h2}));
        EXPECT_TRUE(wavescript::inputRecording());
        EXPECT_NE(h1->lpData, h2->lpData);
        EXPECT_FALSE(pictureDrawn(w));  // nothing is drawn before a frame arrives
    });
}

TEST_F(ViewerCapture, BuffersTakeTurnsAndEachFrameIsDrawnFromItsOwnBuffer) {
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        CaptureShadow shadow;
        shadow.learnHeaders();
        const std::size_t mark = wavescript::calls().size();

        // A steady 3000 Hz tone lies well above the subcarrier: the FM
        // detector reads about +0.31.
        ASSERT_EQ(shadow.deliver(tone(3000, nbtv::SignalRate, nbtv::FrameSamples)), 0);
        shadow.scan(0);
        EXPECT_EQ(viewer.settings.bufferTurn, -1);
        const std::string level = readout(w, PictureLevelReadout);
        EXPECT_EQ(level, shadow.level(0));
        EXPECT_GE(std::stoi(level), 300);
        EXPECT_LE(std::stoi(level), 320);
        shadow.expectPictureShown(w);

        // Every frame differs, so a frame read from the wrong buffer shows.
        for (int frame = 1; frame <= 4; ++frame) {
            const int expected = frame % 2;
            ASSERT_EQ(shadow.deliver(wanderingTone(nbtv::FrameSamples, frame)), expected) << frame;
            shadow.scan(expected);
            EXPECT_EQ(viewer.settings.bufferTurn, expected == 0 ? -1 : 1) << frame;
            EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(expected)) << frame;
            shadow.expectPictureShown(w);
        }

        // Each notice queued its own buffer again, and nothing else was called.
        const std::vector<WaveCall> after = callsFrom(mark);
        ASSERT_EQ(after.size(), 5u);
        for (std::size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].name, "waveInAddBuffer");
            EXPECT_EQ(after[i].header, shadow.headers[i % 2]) << i;
            EXPECT_EQ(after[i].length, 3841u);
            EXPECT_EQ(after[i].result, MMSYSERR_NOERROR);
        }
    });
}

TEST_F(ViewerCapture, NewFrameLengthReachesTheNextQueuedBufferAndNeverPassesTheBuffer) {
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        CaptureShadow shadow;
        shadow.learnHeaders();
        const std::size_t mark = wavescript::calls().size();

        // Thumb to the bottom, then a line step one past it.
        dialog::sendScroll(w, FrameRateBar, SB_THUMBTRACK, 16800);
        dialog::sendScroll(w, FrameRateBar, SB_LINEDOWN);
        EXPECT_EQ(viewer.settings.frameSamples, 16801);

        // Buffer 1 was queued with 3841 and comes back with that; it goes
        // back with 16800. Buffer 2, already queued, keeps 3841.
        ASSERT_EQ(shadow.deliver(tone(2000, nbtv::SignalRate, nbtv::FrameSamples)), 0);
        EXPECT_EQ(viewer.settings.frameSamples, 16800);
        EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(0));
        std::vector<const WAVEHDR*> queued = wavescript::queuedInput();
        ASSERT_EQ(queued.size(), 2u);
        EXPECT_EQ(queued[0]->dwBufferLength, 3841u);
        EXPECT_EQ(queued[1]->dwBufferLength, 16800u);

        dialog::sendScroll(w, FrameRateBar, SB_LINEDOWN);  // past the end again
        ASSERT_EQ(shadow.deliver(tone(2000, nbtv::SignalRate, nbtv::FrameSamples)), 1);
        // A whole long frame fills buffer 1 and is processed at that length.
        ASSERT_EQ(shadow.deliver(wanderingTone(16800, 3)), 0);
        shadow.scan(0);
        EXPECT_EQ(readout(w, PictureLevelReadout), shadow.level(0));
        shadow.expectPictureShown(w);

        const std::vector<WaveCall> adds = callsNamed(callsFrom(mark), "waveInAddBuffer");
        ASSERT_EQ(adds.size(), 3u);
        for (const WaveCall& add : adds) {
            EXPECT_EQ(add.length, 16800u);
            EXPECT_EQ(add.result, MMSYSERR_NOERROR);
        }
    });
}

namespace {

// Watches what the device hands back while the window closes: each
// returned header as it is posted, with the bytes its buffer then holds.
struct Returned {
    const WAVEHDR* header;
    DWORD bytesRecorded;
    std::vector<std::uint8_t> recorded;
};
std::mutex returnedMutex;
std::vector<Returned> returned;

void watchReturns(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MM_WIM_DATA) {
        const auto* header = reinterpret_cast<const WAVEHDR*>(lParam);
        Returned r{header, header->dwBytesRecorded, {}};
        if (header->lpData != nullptr)
            r.recorded.assign(header->lpData, header->lpData + header->dwBytesRecorded);
        std::lock_guard<std::mutex> lock(returnedMutex);
        returned.push_back(r);
    }
    dialog::postMessage(window, message, wParam, lParam);
}

}  // namespace

TEST_F(ViewerCapture, ClosingWhileCapturingStopsTheDeviceBeforeTheBuffersGo) {
    win::setWaveNotifier(watchReturns);
    const std::vector<std::uint8_t> partial = tone(2500, 10000, 1000);
    CaptureShadow shadow;
    std::size_t mark = 0;
    withViewer([&](HWND w) {
        dialog::processPendingEvents();
        shadow.learnHeaders();
        ASSERT_EQ(shadow.deliver(tone(2000, nbtv::SignalRate, nbtv::FrameSamples)), 0);
        // Buffer 2 is part filled when the window closes.
        ASSERT_TRUE(wavescript::streamInput(partial.data(), partial.size()));
        {
            std::lock_guard<std::mutex> lock(returnedMutex);
            returned.clear();
        }
        mark = wavescript::calls().size();
        dialog::sendMenuCommand(w, MenuExit);
        EXPECT_FALSE(dialog::windowExists(w));
    });

    const std::vector<WaveCall> c = callsFrom(mark);
    ASSERT_EQ(callNames(c), (Names{"waveInReset", "waveInUnprepareHeader", "waveInUnprepareHeader",
                                   "waveInClose"}));
    for (const WaveCall& call : c) EXPECT_EQ(call.result, MMSYSERR_NOERROR) << call.name;
    EXPECT_EQ(c[1].header, shadow.headers[0]);
    EXPECT_EQ(c[2].header, shadow.headers[1]);
    {
        // The reset handed back both buffers, in queue order, while their
        // memory was still the program's.
        std::lock_guard<std::mutex> lock(returnedMutex);
        ASSERT_EQ(returned.size(), 2u);
        EXPECT_EQ(returned[0].header, shadow.headers[1]);
        EXPECT_EQ(returned[0].bytesRecorded, 1000u);
        EXPECT_EQ(returned[0].recorded, partial);
        EXPECT_EQ(returned[1].header, shadow.headers[0]);
        EXPECT_EQ(returned[1].bytesRecorded, 0u);
    }

    // After the close nothing reaches the program's buffers.
    EXPECT_FALSE(wavescript::fillNextInput(partial));
    EXPECT_FALSE(wavescript::streamInput(partial.data(), partial.size()));
    EXPECT_TRUE(wavescript::queuedInput().empty());
    dialog::processPendingEvents();
    EXPECT_EQ(wavescript::calls().size(), mark + 4);
}
