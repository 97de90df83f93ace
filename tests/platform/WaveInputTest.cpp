// Wave input through the scripted backend: opening, the queue rules, the
// order and byte counts of returned buffers, and handles that are not open.
#include <gtest/gtest.h>

#include "platform/WaveScript.h"
#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

class WaveInput : public ::testing::Test {
protected:
    void SetUp() override {
        wavescript::useScriptedBackend(true);
        Collector::install();
    }
    void TearDown() override { wavescript::useScriptedBackend(false); }
};

std::vector<UINT> messages(const std::vector<Posted>& posted) {
    std::vector<UINT> m;
    for (const Posted& p : posted) m.push_back(p.message);
    return m;
}

std::vector<WAVEHDR*> headers(const std::vector<Posted>& posted) {
    std::vector<WAVEHDR*> h;
    for (const Posted& p : posted) h.push_back(p.header());
    return h;
}

TEST_F(WaveInput, OpenAndCloseAreNotifiedAndTheHandleDiesWithTheClose) {
    MMRESULT result;
    HWAVEIN device = wavetest::openInput(10000, &result);
    ASSERT_EQ(result, MMSYSERR_NOERROR);
    ASSERT_NE(device, nullptr);
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].window, wavetest::window);
    EXPECT_EQ(posted[0].message, MM_WIM_OPEN);
    EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(device));

    EXPECT_EQ(waveInClose(device), MMSYSERR_NOERROR);
    posted = Collector::take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, MM_WIM_CLOSE);

    // A closed handle stays dead, even after another device is opened.
    HWAVEIN second = wavetest::openInput(10000);
    EXPECT_NE(second, device);
    Buffer buffer(100);
    EXPECT_EQ(waveInPrepareHeader(device, &buffer.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInClose(device), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(buffer.header.dwFlags, 0u);
    waveInClose(second);
}

TEST_F(WaveInput, RefusedOpensLeaveANullHandleAndPostNothing) {
    struct Case {
        const char* what;
        WAVEFORMATEX format;
        UINT deviceId;
        DWORD flags;
        MMRESULT expected;
    };
    const WAVEFORMATEX good = wavetest::inputFormat(8000);
    WAVEFORMATEX stereo = good, sixteenBits = good, badAverage = good, zeroRate = good, notPcm = good;
    stereo.nChannels = 2;
    sixteenBits.wBitsPerSample = 16;
    badAverage.nAvgBytesPerSec = 8001;
    zeroRate.nSamplesPerSec = zeroRate.nAvgBytesPerSec = 0;
    notPcm.wFormatTag = 3;
    const Case cases[] = {
        {"stereo", stereo, WAVE_MAPPER, CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"16 bits", sixteenBits, WAVE_MAPPER, CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"average bytes", badAverage, WAVE_MAPPER, CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"zero rate", zeroRate, WAVE_MAPPER, CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"not PCM", notPcm, WAVE_MAPPER, CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"device 7", good, 7, CALLBACK_WINDOW, MMSYSERR_BADDEVICEID},
        {"function callback", good, WAVE_MAPPER, 0x00030000, MMSYSERR_INVALFLAG},
    };
    for (const Case& c : cases) {
        HWAVEIN device = reinterpret_cast<HWAVEIN>(std::uintptr_t{1234});
        EXPECT_EQ(waveInOpen(&device, c.deviceId, &c.format, 1, 0, c.flags), c.expected) << c.what;
        EXPECT_EQ(device, nullptr) << c.what;
    }
    HWAVEIN device = nullptr;
    EXPECT_EQ(waveInOpen(&device, WAVE_MAPPER, nullptr, 1, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveInOpen(nullptr, WAVE_MAPPER, &good, 1, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM);

    // The scripted device: missing, then taking only 8000 to 11025.
    wavescript::setInputDevice(false);
    MMRESULT result;
    EXPECT_EQ(wavetest::openInput(10000, &result), nullptr);
    EXPECT_EQ(result, MMSYSERR_NODRIVER);
    wavescript::setInputDevice(true, 8000, 11025);
    EXPECT_EQ(wavetest::openInput(11026, &result), nullptr);
    EXPECT_EQ(result, WAVERR_BADFORMAT);
    EXPECT_TRUE(Collector::take().empty());

    device = wavetest::openInput(11025, &result);
    EXPECT_EQ(result, MMSYSERR_NOERROR);
    EXPECT_EQ(messages(Collector::take()), std::vector<UINT>{MM_WIM_OPEN});
    waveInClose(device);
}

TEST_F(WaveInput, EveryCallOnANullHandleIsRefusedAndHarmless) {
    Buffer buffer(16);
    buffer.header.dwFlags = WHDR_PREPARED;
    EXPECT_EQ(waveInPrepareHeader(nullptr, &buffer.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInAddBuffer(nullptr, &buffer.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInStart(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInReset(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInUnprepareHeader(nullptr, &buffer.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInClose(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED);
    EXPECT_TRUE(Collector::take().empty());
    // An output handle is not an input handle, and the other way round.
    HWAVEOUT output = wavetest::openOutput();
    EXPECT_EQ(waveInStart(reinterpret_cast<HWAVEIN>(output)), MMSYSERR_INVALHANDLE);
    waveOutClose(output);
}

TEST_F(WaveInput, QueueRulesRefuseUnpreparedAndDoubleQueuedHeaders) {
    HWAVEIN device = wavetest::openInput(10000);
    Buffer first(8), second(8);
    EXPECT_EQ(waveInAddBuffer(device, &first.header, 32), WAVERR_UNPREPARED);
    EXPECT_EQ(waveInPrepareHeader(device, nullptr, 32), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveInPrepareHeader(device, &first.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInPrepareHeader(device, &second.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(first.header.dwFlags, WHDR_PREPARED);

    EXPECT_EQ(waveInAddBuffer(device, &first.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInAddBuffer(device, &second.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(first.header.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    // Queuing either again changes nothing: each stays queued once, in order.
    EXPECT_EQ(waveInAddBuffer(device, &first.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveInAddBuffer(device, &second.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(wavescript::queuedInput(),
              (std::vector<const WAVEHDR*>{&first.header, &second.header}));
    EXPECT_EQ(waveInUnprepareHeader(device, &first.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(first.header.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);

    // Nothing is recorded before the start.
    EXPECT_FALSE(wavescript::fillNextInput({1, 2, 3}));
    EXPECT_EQ(messages(Collector::take()), std::vector<UINT>{MM_WIM_OPEN});
    waveInClose(device);
}

TEST_F(WaveInput, BuffersComeBackInQueueOrderWithTheirByteCounts) {
    HWAVEIN device = wavetest::openInput(10000);
    Buffer a(4), b(4), c(4);
    for (Buffer* buffer : {&a, &b, &c}) {
        waveInPrepareHeader(device, &buffer->header, 32);
        waveInAddBuffer(device, &buffer->header, 32);
    }
    waveInStart(device);
    Collector::take();

    // A stream of samples runs through the buffers without a gap: a fills,
    // b is part filled when the reset comes, c has nothing.
    const std::uint8_t samples[6] = {10, 11, 12, 13, 14, 15};
    EXPECT_TRUE(wavescript::streamInput(samples, 6));
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(headers(posted), std::vector<WAVEHDR*>{&a.header});
    EXPECT_EQ(posted[0].message, MM_WIM_DATA);
    EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(device));
    EXPECT_EQ(a.header.dwBytesRecorded, 4u);
    EXPECT_EQ(a.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(std::vector<char>(a.bytes), (std::vector<char>{10, 11, 12, 13}));

    EXPECT_EQ(waveInReset(device), MMSYSERR_NOERROR);
    posted = Collector::take();
    EXPECT_EQ(messages(posted), (std::vector<UINT>{MM_WIM_DATA, MM_WIM_DATA}));
    EXPECT_EQ(headers(posted), (std::vector<WAVEHDR*>{&b.header, &c.header}));
    EXPECT_EQ(b.header.dwBytesRecorded, 2u);
    EXPECT_EQ(b.bytes[0], 14);
    EXPECT_EQ(b.bytes[1], 15);
    EXPECT_EQ(c.header.dwBytesRecorded, 0u);
    EXPECT_EQ(c.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
    // The reset has stopped recording; returned headers unprepare at once.
    EXPECT_FALSE(wavescript::inputRecording());
    EXPECT_EQ(waveInUnprepareHeader(device, &b.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(b.header.dwFlags, WHDR_DONE);

    // A buffer queued again starts empty and records from its start.
    waveInAddBuffer(device, &c.header, 32);
    EXPECT_FALSE(wavescript::fillNextInput({1}));  // stopped
    waveInStart(device);
    EXPECT_TRUE(wavescript::fillNextInput({7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(c.header.dwBytesRecorded, 4u);
    EXPECT_EQ(c.bytes, (std::vector<char>{7, 8, 9, 10}));
    EXPECT_FALSE(wavescript::fillNextInput({1}));  // nothing queued
    waveInClose(device);
}

TEST_F(WaveInput, TwoBuffersQueuedAgainOnEveryNotificationAlternate) {
    HWAVEIN device = wavetest::openInput(10000);
    Buffer one(3841), two(3841);
    waveInPrepareHeader(device, &one.header, 32);
    waveInPrepareHeader(device, &two.header, 32);
    waveInAddBuffer(device, &one.header, 32);
    waveInAddBuffer(device, &two.header, 32);
    waveInStart(device);
    Collector::take();

    std::vector<std::uint8_t> frame(3841);
    for (int i = 0; i < 6; ++i) {
        frame.assign(frame.size(), static_cast<std::uint8_t>(i));
        ASSERT_TRUE(wavescript::fillNextInput(frame));
        std::vector<Posted> posted = Collector::take();
        ASSERT_EQ(posted.size(), 1u);
        Buffer& expected = i % 2 == 0 ? one : two;
        EXPECT_EQ(posted[0].header(), &expected.header) << "frame " << i;
        EXPECT_EQ(expected.bytes[3840], static_cast<char>(i));
        waveInAddBuffer(device, posted[0].header(), 32);
    }
    waveInClose(device);
}

TEST_F(WaveInput, CloseReturnsQueuedBuffersBeforeClosing) {
    HWAVEIN device = wavetest::openInput(10000);
    Buffer a(10), b(10);
    waveInPrepareHeader(device, &a.header, 32);
    waveInPrepareHeader(device, &b.header, 32);
    waveInAddBuffer(device, &a.header, 32);
    waveInAddBuffer(device, &b.header, 32);
    waveInStart(device);
    Collector::take();
    EXPECT_EQ(waveInClose(device), MMSYSERR_NOERROR);
    std::vector<Posted> posted = Collector::take();
    EXPECT_EQ(messages(posted), (std::vector<UINT>{MM_WIM_DATA, MM_WIM_DATA, MM_WIM_CLOSE}));
    EXPECT_EQ(posted[0].header(), &a.header);
    EXPECT_EQ(posted[1].header(), &b.header);
    EXPECT_EQ(a.header.dwFlags & WHDR_INQUEUE, 0u);
    EXPECT_TRUE(wavescript::queuedInput().empty());
}

TEST_F(WaveInput, RestartAtANewRateDeliversTheStaleBuffersBeforeTheNewOpen) {
    // The order of calls a change of sample rate makes, and what each logs.
    Buffer one(16801), two(16801);
    one.header.dwBufferLength = two.header.dwBufferLength = 16800;
    HWAVEIN device = wavetest::openInput(10000);
    waveInPrepareHeader(device, &one.header, 32);
    waveInPrepareHeader(device, &two.header, 32);
    one.header.dwBufferLength = two.header.dwBufferLength = 3841;
    waveInAddBuffer(device, &one.header, 32);
    waveInAddBuffer(device, &two.header, 32);
    waveInStart(device);

    waveInReset(device);
    waveInUnprepareHeader(device, &one.header, 32);
    waveInUnprepareHeader(device, &two.header, 32);
    waveInClose(device);
    HWAVEIN next = wavetest::openInput(11025);
    waveInPrepareHeader(next, &one.header, 32);
    waveInPrepareHeader(next, &two.header, 32);

    std::vector<Posted> posted = Collector::take();
    EXPECT_EQ(messages(posted), (std::vector<UINT>{MM_WIM_OPEN, MM_WIM_DATA, MM_WIM_DATA,
                                                   MM_WIM_CLOSE, MM_WIM_OPEN}));
    EXPECT_EQ(posted[4].wParam, reinterpret_cast<WPARAM>(next));
    // The stale buffers, handled now, are queued on the new device; the open
    // notification then queues them again, which changes nothing.
    EXPECT_EQ(waveInAddBuffer(next, &one.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInAddBuffer(next, &two.header, 32), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInAddBuffer(next, &one.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveInAddBuffer(device, &two.header, 32), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(wavescript::queuedInput().size(), 2u);

    struct Expected {
        const char* name;
        const WAVEHDR* header;
        DWORD length;
        MMRESULT result;
    };
    const Expected expected[] = {
        {"waveInOpen", nullptr, 0, MMSYSERR_NOERROR},
        {"waveInPrepareHeader", &one.header, 16800, MMSYSERR_NOERROR},
        {"waveInPrepareHeader", &two.header, 16800, MMSYSERR_NOERROR},
        {"waveInAddBuffer", &one.header, 3841, MMSYSERR_NOERROR},
        {"waveInAddBuffer", &two.header, 3841, MMSYSERR_NOERROR},
        {"waveInStart", nullptr, 0, MMSYSERR_NOERROR},
        {"waveInReset", nullptr, 0, MMSYSERR_NOERROR},
        {"waveInUnprepareHeader", &one.header, 3841, MMSYSERR_NOERROR},
        {"waveInUnprepareHeader", &two.header, 3841, MMSYSERR_NOERROR},
        {"waveInClose", nullptr, 0, MMSYSERR_NOERROR},
        {"waveInOpen", nullptr, 0, MMSYSERR_NOERROR},
        {"waveInPrepareHeader", &one.header, 3841, MMSYSERR_NOERROR},
        {"waveInPrepareHeader", &two.header, 3841, MMSYSERR_NOERROR},
        {"waveInAddBuffer", &one.header, 3841, MMSYSERR_NOERROR},
        {"waveInAddBuffer", &two.header, 3841, MMSYSERR_NOERROR},
        {"waveInAddBuffer", &one.header, 3841, WAVERR_STILLPLAYING},
        {"waveInAddBuffer", &two.header, 3841, MMSYSERR_INVALHANDLE},
    };
    std::vector<wavescript::WaveCall> calls = wavescript::calls();
    ASSERT_EQ(calls.size(), std::size(expected));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].name, expected[i].name) << i;
        EXPECT_EQ(calls[i].header, expected[i].header) << i;
        EXPECT_EQ(calls[i].length, expected[i].length) << i;
        EXPECT_EQ(calls[i].result, expected[i].result) << i;
    }
    EXPECT_EQ(calls[0].sampleRate, 10000u);
    EXPECT_EQ(calls[10].sampleRate, 11025u);
    waveInClose(next);
}

}  // namespace
