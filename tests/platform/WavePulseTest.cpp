// The sound server's own backend against a private PulseAudio server: what
// the server shows of our streams, the list of sources and sinks following
// devices that come and go, moving the running stream, and the list coming
// back with a restarted server. Skipped where no server can be started.
#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/PlaybackState.h"
#include "platform/SoundDevices.h"
#include "tests/platform/PrivatePulseServer.h"
#include "tests/platform/WaveTestSupport.h"

using namespace win;
using wavetest::Collector;
using wavetest::PrivatePulseServer;

namespace {

std::string commandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        std::array<char, 4096> chunk;
        std::size_t n;
        while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) text.append(chunk.data(), n);
        pclose(pipe);
    }
    return text;
}

// Polls until the condition holds, for at most 10 s.
template <class Condition>
bool eventually(Condition condition) {
    for (int i = 0; i < 100; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

std::uint32_t indexOf(const platform::SoundDeviceList& list, const std::string& name) {
    for (const platform::SoundDevice& d : list.devices)
        if (d.name == name) return d.index;
    return platform::NoSoundDevice;
}

const HWND Window = reinterpret_cast<HWND>(0x5A00);

class WavePulse : public wavetest::WithSuiteServer<::testing::Test> {
protected:
    void SetUp() override {
        platform::setSoundApplicationName("NBTV Test");
        useServer("pulse");
    }
    void TearDown() override {
        platform::watchSoundDevices(true, nullptr);
        platform::watchSoundDevices(false, nullptr);
        unsetenv("NBTV_SOUND");
    }
};

TEST_F(WavePulse, TheServerShowsBothStreamsByTheirNames) {
    HWAVEOUT output = wavetest::openOutput();
    HWAVEIN input = wavetest::openInput(10000);
    ASSERT_NE(output, nullptr);
    ASSERT_NE(input, nullptr);
    std::string played = commandOutput("LC_ALL=C pactl list sink-inputs");
    std::string recorded = commandOutput("LC_ALL=C pactl list source-outputs");
    EXPECT_NE(played.find("media.name = \"Picture signal out\""), std::string::npos) << played;
    EXPECT_NE(recorded.find("media.name = \"Picture signal in\""), std::string::npos) << recorded;
    for (const std::string* list : {&played, &recorded}) {
        EXPECT_NE(list->find("application.name = \"NBTV Test\""), std::string::npos) << *list;
        EXPECT_NE(list->find("media.role = \"production\""), std::string::npos) << *list;
        EXPECT_NE(list->find("application.icon_name = \"nbtv\""), std::string::npos) << *list;
    }
    EXPECT_NE(recorded.find(": u8 1ch 10000Hz"), std::string::npos);
    EXPECT_NE(played.find(": s16le 2ch 10000Hz"), std::string::npos);
    waveOutClose(output);
    waveInClose(input);
    EXPECT_TRUE(eventually([] { return commandOutput("pactl list short sink-inputs").empty(); }));
}

TEST_F(WavePulse, TheListFollowsDevicesAndTheRunningStreamMoves) {
    platform::watchSoundDevices(true, Window);
    platform::watchSoundDevices(false, Window);
    ASSERT_TRUE(eventually([] { return indexOf(platform::soundDevices(false), "nbtv") != platform::NoSoundDevice; }));
    EXPECT_EQ(platform::soundDevices(true).defaultName, "nbtv.monitor");
    EXPECT_EQ(platform::soundDevices(false).streamDevice, platform::NoSoundDevice);

    // A sound card plugged in: its sink and its monitor appear, by their names.
    std::string module = commandOutput(
        "pactl load-module module-null-sink sink_name=radio rate=10000 "
        "sink_properties=device.description=Radio");
    ASSERT_FALSE(module.empty());
    ASSERT_TRUE(eventually([] { return indexOf(platform::soundDevices(true), "radio.monitor") != platform::NoSoundDevice; }));
    platform::SoundDeviceList sinks = platform::soundDevices(false);
    std::uint32_t radio = indexOf(sinks, "radio");
    ASSERT_NE(radio, platform::NoSoundDevice);
    auto described = std::find_if(sinks.devices.begin(), sinks.devices.end(),
                                  [](const platform::SoundDevice& d) { return d.name == "radio"; });
    EXPECT_EQ(described->description, "Radio");
    bool posted = false;
    for (UINT m : Collector::messages()) posted |= m == platform::WM_SOUNDDEVICES;
    EXPECT_TRUE(posted);

    // Nothing to move until a stream runs; then it moves there and back.
    EXPECT_FALSE(platform::moveSoundStream(false, radio));
    HWAVEOUT output = wavetest::openOutput();
    ASSERT_NE(output, nullptr);
    std::uint32_t nbtv = indexOf(platform::soundDevices(false), "nbtv");
    EXPECT_TRUE(eventually([&] { return platform::soundDevices(false).streamDevice == nbtv; }));
    ASSERT_TRUE(platform::moveSoundStream(false, radio));
    EXPECT_TRUE(eventually([&] { return platform::soundDevices(false).streamDevice == radio; }));
    EXPECT_NE(commandOutput("pactl list short sink-inputs").find("\t" + std::to_string(radio) + "\t"),
              std::string::npos);
    ASSERT_TRUE(platform::moveSoundStream(false, platform::NoSoundDevice));
    EXPECT_TRUE(eventually([&] { return platform::soundDevices(false).streamDevice == nbtv; }));

    // A refused move (no such device) leaves the stream where it is.
    ASSERT_TRUE(platform::moveSoundStream(false, 9999));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(platform::soundDevices(false).streamDevice, nbtv);
    waveOutClose(output);

    // Unplugged: gone from both lists.
    commandOutput("pactl unload-module " + module);
    EXPECT_TRUE(eventually([] { return indexOf(platform::soundDevices(true), "radio.monitor") == platform::NoSoundDevice; }));
    EXPECT_EQ(indexOf(platform::soundDevices(false), "radio"), platform::NoSoundDevice);
}

TEST_F(WavePulse, TheListComesBackWithARestartedServer) {
    platform::watchSoundDevices(true, Window);
    ASSERT_TRUE(eventually([] { return !platform::soundDevices(true).devices.empty(); }));
    server->stop(SIGKILL);
    EXPECT_TRUE(eventually([] { return platform::soundDevices(true).devices.empty(); }));
    ASSERT_TRUE(server->start());
    EXPECT_TRUE(eventually([] { return indexOf(platform::soundDevices(true), "nbtv.monitor") != platform::NoSoundDevice; }));
    // And a stream opens on it as before.
    HWAVEIN input = wavetest::openInput(10000);
    EXPECT_NE(input, nullptr);
    waveInClose(input);
}

TEST_F(WavePulse, AHeldOutputIsCorkedUntilRestartedAndAFailedServerIsReported) {
    HWAVEOUT output = wavetest::openOutput();
    ASSERT_NE(output, nullptr);
    Collector::take();
    // Held before anything is written: the stream stays corked (the server
    // takes the buffers, as far as its own buffer holds them, but plays
    // nothing) until let go.
    EXPECT_EQ(waveOutPause(output), MMSYSERR_NOERROR);
    wavetest::Buffer first(15364), second(15364);
    for (wavetest::Buffer* b : {&first, &second}) {
        ASSERT_EQ(waveOutPrepareHeader(output, &b->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(output, &b->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_NE(commandOutput("LC_ALL=C pactl list sink-inputs").find("Corked: yes"), std::string::npos);
    EXPECT_EQ(waveOutRestart(output), MMSYSERR_NOERROR);
    EXPECT_TRUE(eventually([] {
        return commandOutput("LC_ALL=C pactl list sink-inputs").find("Corked: no") != std::string::npos;
    }));
    // Playing on: a buffer written now comes back once the server has it.
    for (wavetest::Buffer* b : {&first, &second}) {
        if (b->header.dwFlags & WHDR_INQUEUE) continue;
        ASSERT_EQ(waveOutWrite(output, &b->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    wavetest::Posted done{};
    ASSERT_TRUE(Collector::next(done));
    EXPECT_EQ(done.message, MM_WOM_DONE);
    // Held and emptied, nothing of ours is left at the server to play.
    waveOutPause(output);
    waveOutReset(output);
    EXPECT_LT(platform::playbackDelayMs(output), 50);
    // The server goes away: the window hears that the output failed.
    waveOutRestart(output);
    Collector::take();
    server->stop(SIGKILL);
    bool failed = false;
    for (wavetest::Posted p{}; !failed && Collector::next(p);)
        failed = p.message == platform::WM_PLAYBACKFAILED && p.wParam == reinterpret_cast<WPARAM>(output);
    EXPECT_TRUE(failed);
    waveOutClose(output);
    ASSERT_TRUE(server->start());
}

}  // namespace
