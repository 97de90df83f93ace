// The real backend when the sound server is not there: absent when the
// device is first opened, or killed while both directions run. Every call
// must come back promptly, every queued buffer must still come back, and a
// server that is there again must be found by the next open. Each test
// starts a private PulseAudio server of its own; skipped where none can be
// started.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include "tests/platform/PrivatePulseServer.h"
#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;
using wavetest::PrivatePulseServer;

namespace {

// Runs `call` on a thread of its own; true when it returned within the time.
// A call that hangs is left behind: the test has failed by then.
template <class Call>
bool returnsWithin(std::chrono::seconds limit, Call call) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([done, call]() mutable {
        call();
        done->set_value();
    }).detach();
    return finished.wait_for(limit) == std::future_status::ready;
}

// Waits for the next notification of that kind, queuing each filled input
// buffer again; false when none comes in 10 s.
bool awaitMessage(HWAVEIN input, UINT wanted) {
    Posted posted;
    while (Collector::next(posted)) {
        if (posted.message == wanted) return true;
        if (posted.message == MM_WIM_DATA) waveInAddBuffer(input, posted.header, 32);
    }
    return false;
}

// Under each backend: PortAudio, and the sound server's own protocol.
class WaveServerFault : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        setenv("NBTV_SOUND", GetParam(), 1);
        win::setWaveNotifier(Collector::post);
        Collector::take();
    }
    void TearDown() override { unsetenv("NBTV_SOUND"); }
    PrivatePulseServer server;
};

TEST_P(WaveServerFault, AServerThatComesAfterAFailedOpenIsFoundByTheNextOpen) {
    MMRESULT result;
    HWAVEIN input = wavetest::openInput(10000, &result);
    if (result == MMSYSERR_NOERROR) {
        waveInClose(input);
        GTEST_SKIP() << "a sound input is reachable without the server";
    }
    EXPECT_EQ(input, nullptr);
    EXPECT_TRUE(Collector::take().empty());
    if (!server.start()) GTEST_SKIP() << "no private PulseAudio server could be started";

    input = wavetest::openInput(10000, &result);
    ASSERT_EQ(result, MMSYSERR_NOERROR);
    Buffer buffer(1000);
    waveInPrepareHeader(input, &buffer.header, 32);
    waveInAddBuffer(input, &buffer.header, 32);
    waveInStart(input);
    EXPECT_TRUE(awaitMessage(input, MM_WIM_DATA));
    waveInReset(input);
    waveInClose(input);
}

TEST_P(WaveServerFault, AKilledServerLeavesEveryCallWorkingAndARestartedOneIsFound) {
    if (!server.start()) GTEST_SKIP() << "no private PulseAudio server could be started";
    HWAVEOUT output = wavetest::openOutput();
    HWAVEIN input = wavetest::openInput(10000);
    ASSERT_NE(output, nullptr);
    ASSERT_NE(input, nullptr);
    Buffer play[2] = {Buffer(4000), Buffer(4000)}, record[2] = {Buffer(1000), Buffer(1000)};
    wavetest::queueBuffers(output, play);
    wavetest::queueBuffers(input, record);
    waveInStart(input);
    ASSERT_TRUE(awaitMessage(input, MM_WIM_DATA));

    server.stop(SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // Whatever the streams do now, the calls come back and the buffers with
    // them: both of each direction are queued or on their way back.
    Collector::take();
    for (Buffer& buffer : record) waveInAddBuffer(input, &buffer.header, 32);
    ASSERT_TRUE(returnsWithin(std::chrono::seconds(10), [&] {
        waveInReset(input);
        waveOutReset(output);
    }));
    for (Buffer* buffer : {&play[0], &play[1], &record[0], &record[1]})
        EXPECT_FALSE(buffer->header.dwFlags & WHDR_INQUEUE);
    ASSERT_TRUE(returnsWithin(std::chrono::seconds(10), [&] {
        waveInClose(input);
        waveOutClose(output);
    }));
    std::vector<UINT> messages = Collector::messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], MM_WIM_CLOSE);
    EXPECT_EQ(messages.back(), MM_WOM_CLOSE);

    // An open while the server is away fails cleanly; one after its return
    // records again.
    MMRESULT result;
    EXPECT_EQ(wavetest::openInput(10000, &result), nullptr);
    EXPECT_NE(result, MMSYSERR_NOERROR);
    ASSERT_TRUE(server.start());
    input = wavetest::openInput(10000, &result);
    ASSERT_EQ(result, MMSYSERR_NOERROR);
    wavetest::queueBuffers(input, record);
    waveInStart(input);
    EXPECT_TRUE(awaitMessage(input, MM_WIM_DATA));
    waveInReset(input);
    waveInClose(input);
}

INSTANTIATE_TEST_SUITE_P(Backends, WaveServerFault, ::testing::Values("portaudio", "pulse"));

}  // namespace
