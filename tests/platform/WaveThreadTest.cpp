// The wave-audio stand-ins with a second thread standing in for the sound
// card, as PortAudio's callback thread would: buffers are queued again,
// reset and closed on this thread while samples move on the other. Run
// under ThreadSanitizer by scripts/tsan-wave.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/WaveScript.h"
#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

class WaveThreads : public ::testing::Test {
protected:
    void SetUp() override {
        wavescript::useScriptedBackend(true);
        Collector::install();
    }
    void TearDown() override {
        stop = true;
        if (soundCard.joinable()) soundCard.join();
        wavescript::useScriptedBackend(false);
    }

    // Runs `step` on the sound-card thread until the test stops it.
    template <class Step>
    void runSoundCard(Step step) {
        soundCard = std::thread([this, step]() mutable {
            while (!stop) {
                step();
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
        });
    }

    std::atomic<bool> stop{false};
    std::thread soundCard;
};

TEST_F(WaveThreads, RecordingRunsOnWhileBuffersAreQueuedAgainResetAndClosed) {
    HWAVEIN device = wavetest::openInput(10000);
    Buffer one(500), two(500);
    for (Buffer* buffer : {&one, &two}) {
        waveInPrepareHeader(device, &buffer->header, 32);
        waveInAddBuffer(device, &buffer->header, 32);
    }
    waveInStart(device);
    Posted posted;
    ASSERT_TRUE(Collector::next(posted));
    ASSERT_EQ(posted.message, MM_WIM_OPEN);

    // The card sends a count that runs on from chunk to chunk.
    runSoundCard([counter = std::uint8_t{0}]() mutable {
        std::uint8_t chunk[37];
        for (std::uint8_t& sample : chunk) sample = counter++;
        wavescript::streamInput(chunk, sizeof chunk);
    });

    WAVEHDR* expected = &one.header;
    for (int frame = 0; frame < 40; ++frame) {
        ASSERT_TRUE(Collector::next(posted)) << "frame " << frame;
        ASSERT_EQ(posted.message, MM_WIM_DATA);
        ASSERT_EQ(posted.header(), expected) << "frame " << frame;
        WAVEHDR* header = posted.header();
        ASSERT_EQ(header->dwBytesRecorded, 500u);
        // Samples may be lost between buffers, never inside one.
        for (DWORD i = 1; i < header->dwBytesRecorded; ++i)
            ASSERT_EQ(static_cast<std::uint8_t>(header->lpData[i]),
                      static_cast<std::uint8_t>(header->lpData[i - 1] + 1))
                << "frame " << frame << " byte " << i;
        waveInAddBuffer(device, header, 32);
        expected = expected == &one.header ? &two.header : &one.header;
    }

    waveInReset(device);
    EXPECT_EQ(waveInUnprepareHeader(device, &one.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInUnprepareHeader(device, &two.header, 32), MMSYSERR_NOERROR);
    waveInClose(device);
    std::vector<Posted> rest = Collector::take();
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_EQ(rest[0].header(), expected);
    EXPECT_EQ(rest[2].message, MM_WIM_CLOSE);
}

TEST_F(WaveThreads, PlayingRunsOnWhileBuffersAreWrittenAgainResetAndClosed) {
    HWAVEOUT device = wavetest::openOutput();
    constexpr std::size_t frames = 300;
    Buffer one(4 * frames), two(4 * frames);
    std::int16_t next = 1;
    auto refill = [&next](Buffer& buffer) {
        for (std::size_t i = 0; i < frames; ++i) std::memcpy(buffer.bytes.data() + 4 * i, &next, 2);
        ++next;
    };
    for (Buffer* buffer : {&one, &two}) {
        refill(*buffer);
        waveOutPrepareHeader(device, &buffer->header, 32);
        waveOutWrite(device, &buffer->header, 32);
    }
    Posted posted;
    ASSERT_TRUE(Collector::next(posted));
    ASSERT_EQ(posted.message, MM_WOM_OPEN);

    runSoundCard([] { wavescript::streamOutput(4 * 23); });
    WAVEHDR* expected = &one.header;
    for (int frame = 0; frame < 40; ++frame) {
        ASSERT_TRUE(Collector::next(posted)) << "frame " << frame;
        ASSERT_EQ(posted.message, MM_WOM_DONE);
        ASSERT_EQ(posted.header(), expected) << "frame " << frame;
        refill(expected == &one.header ? one : two);
        waveOutWrite(device, expected, 32);
        expected = expected == &one.header ? &two.header : &one.header;
    }
    waveOutReset(device);
    waveOutUnprepareHeader(device, &one.header, 32);
    waveOutUnprepareHeader(device, &two.header, 32);
    waveOutClose(device);
    stop = true;
    soundCard.join();

    // What was played: each buffer whole and in the order written, with
    // silence only where the queue ran dry; the reset cuts the last one.
    std::vector<std::int16_t> played = wavescript::playedSamples();
    std::vector<std::size_t> counts(static_cast<std::size_t>(next) + 1, 0);
    std::int16_t last = 0;
    for (std::size_t i = 0; i < played.size(); i += 2) {
        ASSERT_EQ(played[i + 1], 0);
        std::int16_t value = played[i];
        if (value == 0) continue;
        ASSERT_GE(value, last) << "sample " << i / 2;
        last = value;
        ++counts[static_cast<std::size_t>(value)];
    }
    for (std::int16_t value = 1; value <= 40; ++value) EXPECT_EQ(counts[value], frames) << value;
}

TEST_F(WaveThreads, DevicesOpenAndCloseWhileTheCardRuns) {
    runSoundCard([] {
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
        // Whether the card got to them or the close returned them, each
        // buffer came back exactly once, before its device's close.
        std::vector<Posted> posted = Collector::take();
        ASSERT_EQ(posted.size(), 6u) << "round " << round;
        EXPECT_EQ(posted[0].message, MM_WIM_OPEN);
        EXPECT_EQ(posted[1].message, MM_WOM_OPEN);
        auto indexOf = [&posted](UINT message) {
            int found = -1;
            for (std::size_t i = 0; i < posted.size(); ++i)
                if (posted[i].message == message) found = found < 0 ? int(i) : 99;
            return found;
        };
        int inData = indexOf(MM_WIM_DATA), outDone = indexOf(MM_WOM_DONE);
        ASSERT_GE(inData, 2);
        ASSERT_LT(inData, indexOf(MM_WIM_CLOSE));
        ASSERT_GE(outDone, 2);
        ASSERT_LT(outDone, indexOf(MM_WOM_CLOSE));
        EXPECT_EQ(posted[inData].header(), &in.header);
        EXPECT_EQ(posted[outDone].header(), &out.header);
        EXPECT_EQ(in.header.dwFlags & WHDR_INQUEUE, 0u);
        EXPECT_EQ(out.header.dwFlags & WHDR_INQUEUE, 0u);
    }
}

}  // namespace
