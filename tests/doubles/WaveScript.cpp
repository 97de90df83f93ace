// The scripted backend and the call log. The script's state is guarded by
// the state mutex, like the devices; the log has a mutex of its own.
#include "tests/doubles/WaveScript.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/PlaybackState.h"
#include "platform/WaveDevice.h"

namespace wavedev {
namespace {

struct DeviceScript {
    bool present = true;
    win::DWORD lowestRate = 1;
    win::DWORD highestRate = 0xFFFFFFFF;
};

struct Script {
    DeviceScript input, output;
    std::vector<std::uint8_t> played;

    std::mutex logMutex;
    std::vector<wavescript::WaveCall> calls;
};

Script& script() {
    static Script s;
    return s;
}

Device* newest(bool input) { return newestDevice(input, Backend::Scripted); }

std::vector<const win::WAVEHDR*> queueOf(bool input) {
    std::lock_guard<std::mutex> lock(stateMutex());
    std::vector<const win::WAVEHDR*> headers;
    if (Device* device = newest(input))
        for (const win::WAVEHDR* h = device->head; h != nullptr; h = h->lpNext) headers.push_back(h);
    return headers;
}

// Plays up to byteCount bytes (all of the head buffer's rest when
// wholeHeadBuffer) into the record of what was played.
bool play(std::size_t byteCount, bool wholeHeadBuffer) {
    bool returned;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        Device* device = newest(false);
        if (device == nullptr || device->paused) return false;
        if (wholeHeadBuffer) {
            if (device->head == nullptr) return false;
            byteCount = device->head->dwBufferLength - device->headOffset;
        }
        std::vector<std::uint8_t>& played = script().played;
        std::size_t start = played.size();
        played.resize(start + byteCount);
        returned = playOutput(*device, played.data() + start, byteCount);
    }
    if (returned) wakeNotifier();
    deliverPending();
    return true;
}

win::MMRESULT scriptedOpen(Device& device, const win::WAVEFORMATEX& format) {
    std::lock_guard<std::mutex> lock(stateMutex());
    const DeviceScript& d = device.input ? script().input : script().output;
    if (!d.present) return win::MMSYSERR_NODRIVER;
    if (format.nSamplesPerSec < d.lowestRate || format.nSamplesPerSec > d.highestRate)
        return win::WAVERR_BADFORMAT;
    return win::MMSYSERR_NOERROR;
}

void recordCall(const char* name, const win::WAVEHDR* header, win::DWORD length,
                win::MMRESULT result, win::DWORD sampleRate) {
    Script& s = script();
    std::lock_guard<std::mutex> lock(s.logMutex);
    s.calls.push_back({name, header, length, result, sampleRate});
}

}  // namespace

}  // namespace wavedev

namespace wavescript {

using wavedev::script;

void useScriptedBackend(bool on) {
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        wavedev::forgetDevices(wavedev::Backend::Scripted);
        wavedev::setSubstituteOpen(on ? wavedev::scriptedOpen : nullptr);
        script().input = {};
        script().output = {};
        script().played.clear();
        wavedev::setSubstituteDelay(0);
    }
    clearCalls();
    logCalls(on);
}

void setInputDevice(bool present, win::DWORD lowestRate, win::DWORD highestRate) {
    std::lock_guard<std::mutex> lock(wavedev::stateMutex());
    script().input = {present, lowestRate, highestRate};
}

void setOutputDevice(bool present, win::DWORD lowestRate, win::DWORD highestRate) {
    std::lock_guard<std::mutex> lock(wavedev::stateMutex());
    script().output = {present, lowestRate, highestRate};
}

bool fillNextInput(const std::vector<std::uint8_t>& bytes) {
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        wavedev::Device* device = wavedev::newest(true);
        if (device == nullptr || !device->started || device->head == nullptr) return false;
        win::WAVEHDR* header = device->head;
        std::size_t count = std::min<std::size_t>(bytes.size(), header->dwBufferLength);
        if (count > 0) std::memcpy(header->lpData, bytes.data(), count);
        wavedev::returnHead(*device, static_cast<win::DWORD>(count));
    }
    wavedev::wakeNotifier();
    wavedev::deliverPending();
    return true;
}

bool streamInput(const std::uint8_t* bytes, std::size_t count) {
    bool returned;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        wavedev::Device* device = wavedev::newest(true);
        if (device == nullptr || !device->started) return false;
        returned = wavedev::recordInput(*device, bytes, count);
    }
    if (returned) wavedev::wakeNotifier();
    wavedev::deliverPending();
    return true;
}

bool completeNextOutput() { return wavedev::play(0, true); }

bool streamOutput(std::size_t byteCount) { return wavedev::play(byteCount, false); }

std::vector<std::int16_t> playedSamples() {
    std::lock_guard<std::mutex> lock(wavedev::stateMutex());
    const std::vector<std::uint8_t>& played = script().played;
    std::vector<std::int16_t> samples(played.size() / 2);
    if (!samples.empty()) std::memcpy(samples.data(), played.data(), samples.size() * 2);
    return samples;
}

bool outputPaused() {
    std::lock_guard<std::mutex> lock(wavedev::stateMutex());
    wavedev::Device* device = wavedev::newest(false);
    return device != nullptr && device->paused;
}

void setPlaybackDelay(int milliseconds) { wavedev::setSubstituteDelay(milliseconds); }

bool failOutput() {
    wavedev::Device* device;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        device = wavedev::newest(false);
    }
    if (device == nullptr) return false;
    wavedev::postNow(device->window, platform::WM_PLAYBACKFAILED, static_cast<win::WPARAM>(device->id), 0);
    return true;
}

std::vector<const win::WAVEHDR*> queuedInput() { return wavedev::queueOf(true); }
std::vector<const win::WAVEHDR*> queuedOutput() { return wavedev::queueOf(false); }

bool inputRecording() {
    std::lock_guard<std::mutex> lock(wavedev::stateMutex());
    wavedev::Device* device = wavedev::newest(true);
    return device != nullptr && device->started;
}

void logCalls(bool on) { wavedev::setCallLog(on ? wavedev::recordCall : nullptr); }

std::vector<WaveCall> calls() {
    std::lock_guard<std::mutex> lock(script().logMutex);
    return script().calls;
}

void clearCalls() {
    std::lock_guard<std::mutex> lock(script().logMutex);
    script().calls.clear();
}

}  // namespace wavescript
