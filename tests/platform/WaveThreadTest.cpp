// The stand-ins with a second thread standing in for the sound card, as
// PortAudio's callback thread does: buffers are queued again, reset and
// closed on this thread while samples move on the other. scripts/tsan-wave
// runs these under ThreadSanitizer.
#include <algorithm>
#include <thread>

#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

using WaveThreads = wavetest::ScriptedTest;

// The sound card: runs `step` every 50 microseconds until it goes out of scope.
template <class Step>
std::jthread soundCard(Step step) {
    return std::jthread([step](std::stop_token stop) mutable {
        for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::microseconds(50)))
            step();
    });
}

TEST_F(WaveThreads, RecordingGoesOnWhileBuffersAreQueuedAgainResetAndClosed) {
    HWAVEIN device = wavetest::openInput(10000);
    Buffer one(500), two(500);
    for (Buffer* buffer : {&one, &two}) {
        waveInPrepareHeader(device, &buffer->header, 32);
        waveInAddBuffer(device, &buffer->header, 32);
    }
    waveInStart(device);
    ASSERT_EQ(Collector::messages(), std::vector<UINT>{MM_WIM_OPEN});
    std::jthread card = soundCard([counter = std::uint8_t{0}]() mutable {  // a count running on from chunk to chunk
        std::uint8_t chunk[37];
        for (std::uint8_t& sample : chunk) sample = counter++;
        wavescript::streamInput(chunk, sizeof chunk);
    });
    for (int frame = 0; frame < 40; ++frame) {
        Posted posted;
        ASSERT_TRUE(Collector::next(posted)) << frame;
        ASSERT_EQ(posted.message, MM_WIM_DATA);
        WAVEHDR* header = posted.header;
        ASSERT_EQ(header, frame % 2 == 0 ? &one.header : &two.header) << frame;
        ASSERT_EQ(header->dwBytesRecorded, 500u);
        // Samples may be lost between buffers, never inside one.
        for (DWORD i = 1; i < 500; ++i)
            ASSERT_EQ(std::uint8_t(header->lpData[i]), std::uint8_t(header->lpData[i - 1] + 1)) << i;
        waveInAddBuffer(device, header, 32);
    }
    waveInReset(device);
    EXPECT_EQ(waveInUnprepareHeader(device, &one.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInUnprepareHeader(device, &two.header, 32), MMSYSERR_NOERROR);
    waveInClose(device);
    EXPECT_EQ(Collector::messages(), (std::vector<UINT>{MM_WIM_DATA, MM_WIM_DATA, MM_WIM_CLOSE}));
}

TEST_F(WaveThreads, DevicesOpenAndCloseWhileTheCardRuns) {
    std::jthread card = soundCard([] {
        std::uint8_t chunk[64] = {};
        wavescript::streamInput(chunk, sizeof chunk);
        wavescript::streamOutput(64);
    });
    for (int round = 0; round < 50; ++round) {
        HWAVEIN input = wavetest::openInput(8000);
        HWAVEOUT output = wavetest::openOutput();
        Buffer in(100), out(100);
        waveInPrepareHeader(input, &in.header, 32);
        waveInAddBuffer(input, &in.header, 32);
        waveInStart(input);
        waveOutPrepareHeader(output, &out.header, 32);
        waveOutWrite(output, &out.header, 32);
        std::this_thread::sleep_for(std::chrono::microseconds(round * 10));
        waveInClose(input);
        waveOutClose(output);
        // Whether the card got to it or the close returned it, each buffer
        // came back once, before its device's close.
        std::vector<Posted> posted = Collector::take();
        ASSERT_EQ(posted.size(), 6u) << round;
        std::vector<UINT> order;
        for (const Posted& p : posted) order.push_back(p.message);
        auto at = [&order](UINT m) { return std::find(order.begin(), order.end(), m) - order.begin(); };
        EXPECT_LT(at(MM_WIM_DATA), at(MM_WIM_CLOSE));
        EXPECT_LT(at(MM_WOM_DONE), at(MM_WOM_CLOSE));
        EXPECT_EQ(posted[at(MM_WIM_DATA)].header, &in.header);
        EXPECT_EQ(posted[at(MM_WOM_DONE)].header, &out.header);
    }
}

}  // namespace
