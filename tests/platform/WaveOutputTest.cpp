// Wave output through the scripted backend: gapless play across queued
// buffers, the order of returns, reset and close.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/WaveScript.h"
#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

class WaveOutput : public ::testing::Test {
protected:
    void SetUp() override {
        wavescript::useScriptedBackend(true);
        Collector::install();
    }
    void TearDown() override { wavescript::useScriptedBackend(false); }
};

// A buffer of `frames` stereo frames whose left samples count up from
// `first` and whose right samples are 0.
void fillFrames(Buffer& buffer, std::int16_t first) {
    std::size_t frames = buffer.bytes.size() / 4;
    for (std::size_t i = 0; i < frames; ++i) {
        std::int16_t frame[2] = {static_cast<std::int16_t>(first + i), 0};
        std::memcpy(buffer.bytes.data() + 4 * i, frame, 4);
    }
}

std::vector<std::int16_t> leftSamples() {
    std::vector<std::int16_t> all = wavescript::playedSamples(), left;
    for (std::size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
    return left;
}

TEST_F(WaveOutput, QueuedBuffersPlayBackToBackThenSilence) {
    MMRESULT result;
    HWAVEOUT device = wavetest::openOutput(&result);
    ASSERT_EQ(result, MMSYSERR_NOERROR);
    Buffer first(4 * 5), second(4 * 5);
    fillFrames(first, 100);
    fillFrames(second, 200);
    EXPECT_EQ(waveOutWrite(device, &first.header, 32), WAVERR_UNPREPARED);
    waveOutPrepareHeader(device, &first.header, 32);
    waveOutPrepareHeader(device, &second.header, 32);
    EXPECT_EQ(waveOutWrite(device, &first.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &second.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &first.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(device, &second.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(wavescript::queuedOutput(),
              (std::vector<const WAVEHDR*>{&first.header, &second.header}));

    // Three frames, then seven more across the boundary and past the end:
    // the second buffer follows the first without a gap, then silence.
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, MM_WOM_OPEN);
    EXPECT_TRUE(wavescript::streamOutput(3 * 4));
    EXPECT_TRUE(Collector::take().empty());
    EXPECT_TRUE(wavescript::streamOutput(9 * 4));
    EXPECT_EQ(leftSamples(), (std::vector<std::int16_t>{100, 101, 102, 103, 104, 200, 201, 202,
                                                       203, 204, 0, 0}));
    std::vector<std::int16_t> all = wavescript::playedSamples();
    for (std::size_t i = 1; i < all.size(); i += 2) EXPECT_EQ(all[i], 0) << i;

    posted = Collector::take();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, MM_WOM_DONE);
    EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(device));
    EXPECT_EQ(posted[0].header(), &first.header);
    EXPECT_EQ(posted[1].header(), &second.header);
    EXPECT_EQ(first.header.dwFlags, WHDR_PREPARED | WHDR_DONE);

    // Written again, a returned buffer plays from its start.
    fillFrames(first, 300);
    waveOutWrite(device, &first.header, 32);
    EXPECT_EQ(first.header.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    EXPECT_TRUE(wavescript::completeNextOutput());
    EXPECT_FALSE(wavescript::completeNextOutput());
    std::vector<std::int16_t> left = leftSamples();
    EXPECT_EQ(std::vector<std::int16_t>(left.end() - 5, left.end()),
              (std::vector<std::int16_t>{300, 301, 302, 303, 304}));
    EXPECT_EQ(Collector::take().size(), 1u);
    waveOutClose(device);
}

TEST_F(WaveOutput, ResetStopsAtOnceAndReturnsEveryBufferInOrder) {
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

    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, MM_WOM_DONE);
    EXPECT_EQ(posted[0].header(), &first.header);
    EXPECT_EQ(posted[1].header(), &second.header);
    EXPECT_EQ(waveOutUnprepareHeader(device, &first.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(device, &second.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(first.header.dwFlags, WHDR_DONE);

    // Nothing of the rest is played; the next buffer written starts afresh.
    wavescript::streamOutput(2 * 4);
    waveOutPrepareHeader(device, &second.header, 32);
    waveOutWrite(device, &second.header, 32);
    wavescript::completeNextOutput();
    EXPECT_EQ(leftSamples(), (std::vector<std::int16_t>{1, 2, 0, 0, 11, 12, 13, 14}));

    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(Collector::take().back().message, MM_WOM_CLOSE);
    EXPECT_EQ(waveOutWrite(device, &second.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(device), MMSYSERR_INVALHANDLE);
    EXPECT_FALSE(wavescript::streamOutput(4));
}

TEST_F(WaveOutput, OnlySixteenBitStereoOpensAndAMissingDeviceFails) {
    WAVEFORMATEX mono = wavetest::inputFormat(10000);
    HWAVEOUT device = reinterpret_cast<HWAVEOUT>(std::uintptr_t{99});
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &mono, 1, 0, CALLBACK_WINDOW), WAVERR_BADFORMAT);
    EXPECT_EQ(device, nullptr);

    wavescript::setOutputDevice(false);
    MMRESULT result;
    EXPECT_EQ(wavetest::openOutput(&result), nullptr);
    EXPECT_EQ(result, MMSYSERR_NODRIVER);
    EXPECT_TRUE(Collector::take().empty());
    // With no device every later call fails without effect.
    Buffer buffer(16);
    EXPECT_EQ(waveOutPrepareHeader(nullptr, &buffer.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(nullptr, &buffer.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutUnprepareHeader(nullptr, &buffer.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(buffer.header.dwFlags, 0u);
    EXPECT_TRUE(Collector::take().empty());
}

TEST_F(WaveOutput, CloseWithBuffersQueuedReturnsThemFirst) {
    HWAVEOUT device = wavetest::openOutput();
    Buffer buffer(40);
    waveOutPrepareHeader(device, &buffer.header, 32);
    waveOutWrite(device, &buffer.header, 32);
    Collector::take();
    waveOutClose(device);
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, MM_WOM_DONE);
    EXPECT_EQ(posted[1].message, MM_WOM_CLOSE);
    EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
}

}  // namespace
