#pragma once
// Helpers of the wave-audio tests: a notifier that collects notifications
// as a window would receive them, from any thread, and the programs' formats.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/WaveAudio.h"
#include "tests/doubles/WaveScript.h"
#include "tests/platform/PrivatePulseServer.h"

namespace wavetest {

struct Posted {
    win::UINT message;
    win::WPARAM wParam;
    win::WAVEHDR* header;
};

struct Collector {
    static inline std::mutex mutex;
    static inline std::condition_variable arrived;
    static inline std::deque<Posted> posted;

    static void post(win::HWND, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
        std::lock_guard<std::mutex> lock(mutex);
        posted.push_back({message, wParam, reinterpret_cast<win::WAVEHDR*>(lParam)});
        arrived.notify_all();
    }
    static std::vector<Posted> take() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<Posted> all(posted.begin(), posted.end());
        posted.clear();
        return all;
    }
    static std::vector<win::UINT> messages() {
        std::vector<win::UINT> m;
        for (const Posted& p : take()) m.push_back(p.message);
        return m;
    }
    // Waits for the next notification; false when none comes in 10 s.
    static bool next(Posted& out) {
        std::unique_lock<std::mutex> lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(10), [] { return !posted.empty(); }))
            return false;
        out = posted.front();
        posted.pop_front();
        return true;
    }
};

// Each test starts with the scripted backend and an empty collector.
class ScriptedTest : public ::testing::Test {
protected:
    void SetUp() override {
        wavescript::useScriptedBackend(true);
        win::setWaveNotifier(Collector::post);
        Collector::take();
    }
    void TearDown() override { wavescript::useScriptedBackend(false); }
};

inline win::WAVEFORMATEX inputFormat(win::DWORD rate) {
    return {win::WAVE_FORMAT_PCM, 1, rate, rate, 1, 8, 0};
}

inline win::HWAVEIN openInput(win::DWORD rate, win::MMRESULT* result = nullptr) {
    win::HWAVEIN device = nullptr;
    win::WAVEFORMATEX format = inputFormat(rate);
    win::MMRESULT r = win::waveInOpen(&device, win::WAVE_MAPPER, &format, 0x5A00, 0,
                                      win::CALLBACK_WINDOW);
    if (result != nullptr) *result = r;
    return device;
}

inline win::HWAVEOUT openOutput(win::MMRESULT* result = nullptr) {
    win::HWAVEOUT device = nullptr;
    win::WAVEFORMATEX format{win::WAVE_FORMAT_PCM, 2, 10000, 40000, 4, 16, 0};
    win::MMRESULT r = win::waveOutOpen(&device, win::WAVE_MAPPER, &format, 0x5A00, 0,
                                       win::CALLBACK_WINDOW);
    if (result != nullptr) *result = r;
    return device;
}

// A buffer and its header, as the programs keep them.
struct Buffer {
    std::vector<char> bytes;
    win::WAVEHDR header{};

    explicit Buffer(std::size_t size) : bytes(size, 0) {
        header.lpData = bytes.data();
        header.dwBufferLength = static_cast<win::DWORD>(size);
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
};

// Prepares every buffer and queues it with the device, in order: recorded
// into, or written to be played.
template <std::size_t N>
void queueBuffers(win::HWAVEIN device, Buffer (&buffers)[N]) {
    for (Buffer& buffer : buffers) {
        win::waveInPrepareHeader(device, &buffer.header, 32);
        win::waveInAddBuffer(device, &buffer.header, 32);
    }
}
template <std::size_t N>
void queueBuffers(win::HWAVEOUT device, Buffer (&buffers)[N]) {
    for (Buffer& buffer : buffers) {
        win::waveOutPrepareHeader(device, &buffer.header, 32);
        win::waveOutWrite(device, &buffer.header, 32);
    }
}

// A test suite on one private PulseAudio server, started before the
// suite's first real open (the sound libraries look for the server once,
// when they start). Each test's set-up calls useServer, which skips the
// test when no server could be started.
template <class Base>
class WithSuiteServer : public Base {
protected:
    static inline std::unique_ptr<PrivatePulseServer> server;
    static inline bool serverUp = false;

    static void SetUpTestSuite() {
        server = std::make_unique<PrivatePulseServer>();
        serverUp = server->start();
    }
    static void TearDownTestSuite() { server.reset(); }
    // The backend NBTV_SOUND names, notices to the collector.
    void useServer(const char* backend) {
        if (!serverUp) GTEST_SKIP() << "no private PulseAudio server could be started";
        setenv("NBTV_SOUND", backend, 1);
        win::setWaveNotifier(Collector::post);
        Collector::take();
    }
};

}  // namespace wavetest
