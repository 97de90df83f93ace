// Wave output through the scripted backend: gapless play across queued
// buffers, silence when they run dry, the order of returns, reset and close.
#include <cstring>

#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

using WaveOutput = wavetest::ScriptedTest;

// Left samples counting up from `first`, right samples 0.
void fillFrames(Buffer& buffer, std::int16_t first) {
    for (std::size_t i = 0; i < buffer.bytes.size() / 4; ++i) {
        std::int16_t frame[2] = {static_cast<std::int16_t>(first + i), 0};
        std::memcpy(buffer.bytes.data() + 4 * i, frame, 4);
    }
}

std::vector<std::int16_t> leftPlayed() {
    std::vector<std::int16_t> all = wavescript::playedSamples(), left;
    for (std::size_t i = 0; i < all.size(); i += 2) {
        left.push_back(all[i]);
        EXPECT_EQ(all[i + 1], 0);
    }
    return left;
}

TEST_F(WaveOutput, QueuedBuffersPlayBackToBackThenSilence) {
    HWAVEOUT device = wavetest::openOutput();
    Buffer first(4 * 5), second(4 * 5);
    fillFrames(first, 100);
    fillFrames(second, 200);
    EXPECT_EQ(waveOutWrite(device, &first.header, 32), WAVERR_UNPREPARED);
    for (Buffer* buffer : {&first, &second}) {
        waveOutPrepareHeader(device, &buffer->header, 32);
        EXPECT_EQ(waveOutWrite(device, &buffer->header, 32), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(waveOutWrite(device, &first.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(device, &second.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(Collector::messages(), std::vector<UINT>{MM_WOM_OPEN});

    wavescript::streamOutput(3 * 4);
    EXPECT_TRUE(Collector::take().empty());
    wavescript::streamOutput(9 * 4);
    EXPECT_EQ(leftPlayed(),
              (std::vector<std::int16_t>{100, 101, 102, 103, 104, 200, 201, 202, 203, 204, 0, 0}));
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, MM_WOM_DONE);
    EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(device));
    EXPECT_EQ(posted[0].header, &first.header);
    EXPECT_EQ(posted[1].header, &second.header);
    EXPECT_EQ(first.header.dwFlags, WHDR_PREPARED | WHDR_DONE);

    // Written again, a returned buffer plays from its start.
    fillFrames(first, 300);
    waveOutWrite(device, &first.header, 32);
    EXPECT_TRUE(wavescript::completeNextOutput());
    EXPECT_FALSE(wavescript::completeNextOutput());
    std::vector<std::int16_t> left = leftPlayed();
    EXPECT_EQ(std::vector<std::int16_t>(left.end() - 5, left.end()),
              (std::vector<std::int16_t>{300, 301, 302, 303, 304}));
    waveOutClose(device);
}

TEST_F(WaveOutput, ResetStopsAtOnceAndCloseReturnsWhatIsQueued) {
    HWAVEOUT device = wavetest::openOutput();
    Buffer first(4 * 4), second(4 * 4);
    fillFrames(first, 1);
    fillFrames(second, 11);
    for (Buffer* buffer : {&first, &second}) {
        waveOutPrepareHeader(device, &buffer->header, 32);
        waveOutWrite(device, &buffer->header, 32);
    }
    wavescript::streamOutput(2 * 4);
    Collector::take();
    waveOutReset(device);
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].header, &first.header);
    EXPECT_EQ(posted[1].header, &second.header);
    EXPECT_EQ(waveOutUnprepareHeader(device, &first.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(first.header.dwFlags, WHDR_DONE);

    // Nothing of the rest plays; the next buffer written starts afresh.
    wavescript::streamOutput(2 * 4);
    waveOutWrite(device, &second.header, 32);
    wavescript::streamOutput(1 * 4);
    EXPECT_EQ(leftPlayed(), (std::vector<std::int16_t>{1, 2, 0, 0, 11}));
    waveOutClose(device);
    EXPECT_EQ(Collector::messages(), (std::vector<UINT>{MM_WOM_DONE, MM_WOM_CLOSE}));
    EXPECT_EQ(second.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(waveOutWrite(device, &second.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_FALSE(wavescript::streamOutput(4));
}

}  // namespace
