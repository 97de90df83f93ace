#pragma once
// Helpers of the wave-audio tests: a notifier that collects notifications
// as a window would receive them, from any thread, and the programs' formats.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/WaveAudio.h"
#include "tests/doubles/WaveScript.h"

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

}  // namespace wavetest
