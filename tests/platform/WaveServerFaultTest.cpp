// The real backend when the sound server is not there: absent when the
// device is first opened, or killed while both directions run. Every call
// must come back promptly, every queued buffer must still come back, and a
// server that is there again must be found by the next open. Each test
// starts a private PulseAudio server of its own; skipped where none can be
// started.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Buffer;
using wavetest::Collector;
using wavetest::Posted;

namespace {

// A private PulseAudio server with a null sink whose monitor is the default
// input; the clients of this process are pointed at it before it runs.
class PrivateServer {
public:
    PrivateServer() {
        char path[] = "/tmp/nbtv-fault-XXXXXX";
        if (std::system("command -v pulseaudio >/dev/null") != 0 || mkdtemp(path) == nullptr) return;
        dir_ = path;
        std::ofstream(dir_ + "/server.pa") << "load-module module-native-protocol-unix auth-anonymous=1\n"
                                              "load-module module-null-sink sink_name=nbtv rate=10000\n"
                                              "set-default-sink nbtv\n"
                                              "set-default-source nbtv.monitor\n";
        std::ofstream(dir_ + "/client.conf") << "autospawn = no\n";
        setenv("PULSE_SERVER", ("unix:" + dir_ + "/pulse/native").c_str(), 1);
        setenv("PULSE_CLIENTCONFIG", (dir_ + "/client.conf").c_str(), 1);
    }
    ~PrivateServer() {
        stop(SIGKILL);
        if (!dir_.empty()) std::system(("rm -rf " + dir_).c_str());
    }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool start() {
        return !dir_.empty() &&
               run("pulseaudio -n -F " + dir_ + "/server.pa --daemonize=yes --exit-idle-time=-1"
                   " --use-pid-file=yes") == 0;
    }
    // Ends the server with that signal (SIGKILL: as a crash would) and waits
    // until it is gone.
    void stop(int signal) {
        std::ifstream pidFile(dir_ + "/pulse/pid");
        long pid = 0;
        if (!(pidFile >> pid) || pid <= 0) return;
        kill(static_cast<pid_t>(pid), signal);
        for (int i = 0; i < 100 && kill(static_cast<pid_t>(pid), 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::remove((dir_ + "/pulse/pid").c_str());
    }

private:
    int run(const std::string& command) const {
        return std::system(("env XDG_RUNTIME_DIR=" + dir_ + " HOME=" + dir_ + " " + command +
                            " >/dev/null 2>&1").c_str());
    }
    std::string dir_;
};

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

class WaveServerFault : public ::testing::Test {
protected:
    void SetUp() override {
        win::setWaveNotifier(Collector::post);
        Collector::take();
    }
    PrivateServer server;
};

TEST_F(WaveServerFault, AServerThatComesAfterAFailedOpenIsFoundByTheNextOpen) {
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

TEST_F(WaveServerFault, AKilledServerLeavesEveryCallWorkingAndARestartedOneIsFound) {
    if (!server.start()) GTEST_SKIP() << "no private PulseAudio server could be started";
    HWAVEOUT output = wavetest::openOutput();
    HWAVEIN input = wavetest::openInput(10000);
    ASSERT_NE(output, nullptr);
    ASSERT_NE(input, nullptr);
    Buffer play[2] = {Buffer(4000), Buffer(4000)}, record[2] = {Buffer(1000), Buffer(1000)};
    for (Buffer& buffer : play) {
        waveOutPrepareHeader(output, &buffer.header, 32);
        waveOutWrite(output, &buffer.header, 32);
    }
    for (Buffer& buffer : record) {
        waveInPrepareHeader(input, &buffer.header, 32);
        waveInAddBuffer(input, &buffer.header, 32);
    }
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
    for (Buffer& buffer : record) {
        waveInPrepareHeader(input, &buffer.header, 32);
        waveInAddBuffer(input, &buffer.header, 32);
    }
    waveInStart(input);
    EXPECT_TRUE(awaitMessage(input, MM_WIM_DATA));
    waveInReset(input);
    waveInClose(input);
}

}  // namespace
