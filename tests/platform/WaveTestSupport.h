#pragma once
// Helpers of the wave-audio tests: a notifier that collects notifications
// the way a window would receive them, and the two formats the programs use.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/WaveAudio.h"

namespace wavetest {

struct Posted {
    win::HWND window;
    win::UINT message;
    win::WPARAM wParam;
    win::LPARAM lParam;

    win::WAVEHDR* header() const { return reinterpret_cast<win::WAVEHDR*>(lParam); }
};

// Collects notifications from any thread, in the order they are posted.
struct Collector {
    static inline std::mutex mutex;
    static inline std::condition_variable arrived;
    static inline std::deque<Posted> posted;

    static void post(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            posted.push_back({window, message, wParam, lParam});
        }
        arrived.notify_all();
    }
    static void install() {
        take();
        win::setWaveNotifier(post);
    }
    // Everything posted so far, oldest first; the collector is emptied.
    static std::vector<Posted> take() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<Posted> all(posted.begin(), posted.end());
        posted.clear();
        return all;
    }
    // Waits for the next notification; false when none comes in time.
    static bool next(Posted& out, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(mutex);
        if (!arrived.wait_for(lock, timeout, [] { return !posted.empty(); })) return false;
        out = posted.front();
        posted.pop_front();
        return true;
    }
};

inline const win::HWND window = reinterpret_cast<win::HWND>(std::uintptr_t{0x5A00});

inline win::WAVEFORMATEX inputFormat(win::DWORD rate) {
    return {win::WAVE_FORMAT_PCM, 1, rate, rate, 1, 8, 0};
}

inline win::WAVEFORMATEX outputFormat() {
    return {win::WAVE_FORMAT_PCM, 2, 10000, 40000, 4, 16, 0};
}

inline win::HWAVEIN openInput(win::DWORD rate, win::MMRESULT* result = nullptr) {
    win::HWAVEIN device = nullptr;
    win::WAVEFORMATEX format = inputFormat(rate);
    win::MMRESULT r = win::waveInOpen(&device, win::WAVE_MAPPER, &format,
                                      reinterpret_cast<std::uintptr_t>(window), 0,
                                      win::CALLBACK_WINDOW);
    if (result != nullptr) *result = r;
    return device;
}

inline win::HWAVEOUT openOutput(win::MMRESULT* result = nullptr) {
    win::HWAVEOUT device = nullptr;
    win::WAVEFORMATEX format = outputFormat();
    win::MMRESULT r = win::waveOutOpen(&device, win::WAVE_MAPPER, &format,
                                       reinterpret_cast<std::uintptr_t>(window), 0,
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
