// Wave input through the scripted backend: opening, the queue rules, the
// order and byte counts of returned buffers, handles that are not open, and
// the call log of a restart at a new rate.
#include <string>

#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

using WaveInput = wavetest::ScriptedTest;

void prepareAndQueue(HWAVEIN device, std::initializer_list<Buffer*> buffers) {
    for (Buffer* buffer : buffers) {
        waveInPrepareHeader(device, &buffer->header, 32);
        waveInAddBuffer(device, &buffer->header, 32);
    }
}

TEST_F(WaveInput, RefusedOpensOfEitherDirectionLeaveANullHandleAndPostNothing) {
    const WAVEFORMATEX good = wavetest::inputFormat(8000);
    WAVEFORMATEX bad[5] = {good, good, good, good, good};
    bad[0].nChannels = 2;
    bad[1].wBitsPerSample = 16;
    bad[2].nAvgBytesPerSec = 8001;
    bad[3].nSamplesPerSec = bad[3].nAvgBytesPerSec = 0;
    bad[4].wFormatTag = 3;
    for (const WAVEFORMATEX& format : bad) {
        HWAVEIN device = reinterpret_cast<HWAVEIN>(std::uintptr_t{1234});
        EXPECT_EQ(waveInOpen(&device, WAVE_MAPPER, &format, 1, 0, CALLBACK_WINDOW), WAVERR_BADFORMAT);
        EXPECT_EQ(device, nullptr);
    }
    HWAVEOUT output;
    EXPECT_EQ(waveOutOpen(&output, WAVE_MAPPER, &good, 1, 0, CALLBACK_WINDOW), WAVERR_BADFORMAT);
    HWAVEIN device;
    EXPECT_EQ(waveInOpen(&device, 7, &good, 1, 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveInOpen(&device, WAVE_MAPPER, nullptr, 1, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM);

    MMRESULT result;
    wavescript::setInputDevice(false);
    EXPECT_EQ(wavetest::openInput(10000, &result), nullptr);
    EXPECT_EQ(result, MMSYSERR_NODRIVER);
    wavescript::setInputDevice(true, 8000, 11025);
    EXPECT_EQ(wavetest::openInput(11026, &result), nullptr);
    EXPECT_EQ(result, WAVERR_BADFORMAT);
    wavescript::setOutputDevice(false);
    EXPECT_EQ(wavetest::openOutput(&result), nullptr);
    EXPECT_EQ(result, MMSYSERR_NODRIVER);
    EXPECT_TRUE(Collector::take().empty());
    waveInClose(wavetest::openInput(11025));
    EXPECT_EQ(Collector::messages(), (std::vector<UINT>{MM_WIM_OPEN, MM_WIM_CLOSE}));
}

TEST_F(WaveInput, CallsOnANullOrClosedHandleAreRefusedAndHarmless) {
    HWAVEIN closed = wavetest::openInput(10000);
    waveInClose(closed);
    HWAVEIN open = wavetest::openInput(10000);  // a new device never takes an old handle
    HWAVEOUT output = wavetest::openOutput();
    Collector::take();
    for (HWAVEIN device : {HWAVEIN{nullptr}, closed, reinterpret_cast<HWAVEIN>(output)}) {
        Buffer buffer(16);
        buffer.header.dwFlags = WHDR_PREPARED;
        EXPECT_EQ(waveInPrepareHeader(device, &buffer.header, 32), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveInAddBuffer(device, &buffer.header, 32), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveInStart(device), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveInReset(device), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveInUnprepareHeader(device, &buffer.header, 32), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveInClose(device), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(buffer.header.dwFlags, WHDR_PREPARED);
    }
    EXPECT_TRUE(Collector::take().empty());
    waveInClose(open);
    waveOutClose(output);
}

TEST_F(WaveInput, QueueRulesAndTheOrderAndByteCountsOfReturnedBuffers) {
    HWAVEIN device = wavetest::openInput(10000);
    Buffer a(4), b(4), c(4);
    EXPECT_EQ(waveInAddBuffer(device, &a.header, 32), WAVERR_UNPREPARED);
    prepareAndQueue(device, {&a, &b, &c});
    EXPECT_EQ(a.header.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    // Queuing a header again, or unpreparing it, changes nothing while queued.
    EXPECT_EQ(waveInAddBuffer(device, &a.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveInUnprepareHeader(device, &b.header, 32), WAVERR_STILLPLAYING);
    EXPECT_EQ(wavescript::queuedInput(), (std::vector<const WAVEHDR*>{&a.header, &b.header, &c.header}));
    const std::uint8_t samples[6] = {10, 11, 12, 13, 14, 15};
    EXPECT_FALSE(wavescript::streamInput(samples, 6));  // not started
    waveInStart(device);
    Collector::take();

    // Samples run through the buffers without a gap: a fills, b is part
    // filled when the reset comes, c has nothing.
    EXPECT_TRUE(wavescript::streamInput(samples, 6));
    std::vector<Posted> posted = Collector::take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, MM_WIM_DATA);
    EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(device));
    EXPECT_EQ(posted[0].header, &a.header);
    EXPECT_EQ(a.header.dwBytesRecorded, 4u);
    EXPECT_EQ(a.header.dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(a.bytes, (std::vector<char>{10, 11, 12, 13}));

    waveInReset(device);
    posted = Collector::take();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].header, &b.header);
    EXPECT_EQ(posted[1].header, &c.header);
    EXPECT_EQ(b.header.dwBytesRecorded, 2u);
    EXPECT_EQ(b.bytes[1], 15);
    EXPECT_EQ(c.header.dwBytesRecorded, 0u);
    EXPECT_FALSE(wavescript::inputRecording());
    EXPECT_EQ(waveInUnprepareHeader(device, &b.header, 32), MMSYSERR_NOERROR);

    // Queued again after the reset, a buffer records from its start.
    waveInAddBuffer(device, &c.header, 32);
    waveInStart(device);
    EXPECT_TRUE(wavescript::fillNextInput({7, 8, 9, 10, 11}));
    EXPECT_EQ(c.bytes, (std::vector<char>{7, 8, 9, 10}));
    EXPECT_FALSE(wavescript::fillNextInput({1}));  // nothing queued

    // Closing with a buffer queued returns it first.
    waveInAddBuffer(device, &a.header, 32);
    Collector::take();
    waveInClose(device);
    EXPECT_EQ(Collector::messages(), (std::vector<UINT>{MM_WIM_DATA, MM_WIM_CLOSE}));
    EXPECT_EQ(a.header.dwFlags & WHDR_INQUEUE, 0u);
}

TEST_F(WaveInput, RestartAtANewRateReturnsTheStaleBuffersBeforeTheNewOpen) {
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
    EXPECT_EQ(Collector::messages(), (std::vector<UINT>{MM_WIM_OPEN, MM_WIM_DATA, MM_WIM_DATA,
                                                        MM_WIM_CLOSE, MM_WIM_OPEN}));
    // A stale buffer is queued on the new device; queuing it again on the
    // open notification changes nothing, and the old handle is dead.
    waveInAddBuffer(next, &one.header, 32);
    waveInAddBuffer(next, &one.header, 32);
    waveInAddBuffer(device, &one.header, 32);
    EXPECT_EQ(wavescript::queuedInput().size(), 1u);

    std::vector<std::string> log;
    for (const wavescript::WaveCall& call : wavescript::calls())
        log.push_back(call.name + (call.header == &one.header ? " one " : call.header ? " two " : " ") +
                      std::to_string(call.length) + " " + std::to_string(call.result) + " " +
                      std::to_string(call.sampleRate));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "waveInOpen 0 0 10000", "waveInPrepareHeader one 16800 0 0",
                       "waveInPrepareHeader two 16800 0 0", "waveInAddBuffer one 3841 0 0",
                       "waveInAddBuffer two 3841 0 0", "waveInStart 0 0 0", "waveInReset 0 0 0",
                       "waveInUnprepareHeader one 3841 0 0", "waveInUnprepareHeader two 3841 0 0",
                       "waveInClose 0 0 0", "waveInOpen 0 0 11025",
                       "waveInPrepareHeader one 3841 0 0", "waveInAddBuffer one 3841 0 0",
                       "waveInAddBuffer one 3841 33 0", "waveInAddBuffer one 3841 5 0"}));
    waveInClose(next);
}

}  // namespace
