// The wave-audio calls: argument checks, the queue rules, notifications and
// the call log; the backends only open and close streams.
#include "platform/WaveAudio.h"

#include "platform/WaveDevice.h"

#include <atomic>

namespace wavedev {
namespace {
std::atomic<SubstituteOpen> substituteOpen{nullptr};
std::atomic<CallLog> callLog{nullptr};
std::atomic<int> substitutesDelay{0};
}  // namespace

void setSubstituteDelay(int milliseconds) { substitutesDelay.store(milliseconds); }
int substituteDelay() { return substitutesDelay.load(); }

void setSubstituteOpen(SubstituteOpen open) { substituteOpen.store(open); }
void setCallLog(CallLog log) { callLog.store(log); }
SubstituteOpen substituteOpenInForce() { return substituteOpen.load(); }

}  // namespace wavedev

namespace win {
namespace {

using wavedev::Device;

std::uintptr_t idOf(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }
DWORD lengthOf(const WAVEHDR* header) { return header != nullptr ? header->dwBufferLength : 0; }

MMRESULT logged(const char* name, MMRESULT result, const WAVEHDR* header = nullptr,
                DWORD sampleRate = 0) {
    if (wavedev::CallLog log = wavedev::callLog.load())
        log(name, header, lengthOf(header), result, sampleRate);
    return result;
}

// Input takes unsigned 8-bit mono, output 16-bit stereo, at any rate the
// device takes; the derived fields must agree with the rest.
bool formatFits(const WAVEFORMATEX& format, bool input) {
    WORD channels = input ? 1 : 2;
    WORD bits = input ? 8 : 16;
    WORD blockAlign = static_cast<WORD>(channels * bits / 8);
    return format.wFormatTag == WAVE_FORMAT_PCM && format.nChannels == channels &&
           format.wBitsPerSample == bits && format.nBlockAlign == blockAlign &&
           format.nSamplesPerSec > 0 &&
           static_cast<std::uint64_t>(format.nAvgBytesPerSec) ==
               static_cast<std::uint64_t>(format.nSamplesPerSec) * blockAlign;
}

MMRESULT openDevice(std::uintptr_t& handle, bool input, UINT deviceId,
                    const WAVEFORMATEX* format, std::uintptr_t callback, DWORD flags) {
    if (format == nullptr) return MMSYSERR_INVALPARAM;
    if (deviceId != WAVE_MAPPER && deviceId != 0) return MMSYSERR_BADDEVICEID;
    DWORD callbackType = flags & CALLBACK_TYPEMASK;
    if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
    if (!formatFits(*format, input)) return WAVERR_BADFORMAT;

    auto device = std::make_unique<Device>();
    device->input = input;
    device->window = callbackType == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
    device->sampleRate = format->nSamplesPerSec;
    wavedev::startNotifier();
    MMRESULT result = wavedev::backendOpen(*device, *format);
    if (result != MMSYSERR_NOERROR) return result;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        Device* added = wavedev::addDevice(std::move(device));
        wavedev::notify(*added, input ? MM_WIM_OPEN : MM_WOM_OPEN, 0);
        handle = added->id;
    }
    wavedev::deliverPending();
    return MMSYSERR_NOERROR;
}

MMRESULT prepare(std::uintptr_t id, bool input, WAVEHDR* header) {
    std::lock_guard<std::mutex> lock(wavedev::stateMutex());
    if (wavedev::findDevice(id, input) == nullptr) return MMSYSERR_INVALHANDLE;
    if (header == nullptr || header->lpData == nullptr) return MMSYSERR_INVALPARAM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT unprepare(std::uintptr_t id, bool input, WAVEHDR* header) {
    std::lock_guard<std::mutex> lock(wavedev::stateMutex());
    if (wavedev::findDevice(id, input) == nullptr) return MMSYSERR_INVALHANDLE;
    if (header == nullptr) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT enqueue(std::uintptr_t id, bool input, WAVEHDR* header) {
    Device* device;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        device = wavedev::findDevice(id, input);
        if (device == nullptr) return MMSYSERR_INVALHANDLE;
        if (header == nullptr || header->lpData == nullptr) return MMSYSERR_INVALPARAM;
        if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
        if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
        wavedev::queueBuffer(*device, header);
    }
    // Devices are closed only on this thread: the record is still there.
    wavedev::backendQueued(*device);
    return MMSYSERR_NOERROR;
}

MMRESULT reset(std::uintptr_t id, bool input) {
    Device* device;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        device = wavedev::findDevice(id, input);
        if (device == nullptr) return MMSYSERR_INVALHANDLE;
        device->started = false;
        wavedev::returnAllBuffers(*device);
    }
    wavedev::backendReset(*device);
    wavedev::deliverPending();
    return MMSYSERR_NOERROR;
}

MMRESULT hold(std::uintptr_t id, bool paused) {
    Device* device;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        device = wavedev::findDevice(id, false);
        if (device == nullptr) return MMSYSERR_INVALHANDLE;
        if (device->paused == paused) return MMSYSERR_NOERROR;
        device->paused = paused;
    }
    if (paused) {
        wavedev::backendPaused(*device);
    } else {
        wavedev::backendRestarted(*device);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT close(std::uintptr_t id, bool input) {
    std::unique_ptr<Device> closed;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        Device* device = wavedev::findDevice(id, input);
        if (device == nullptr) return MMSYSERR_INVALHANDLE;
        device->started = false;
        wavedev::returnAllBuffers(*device);
        wavedev::notify(*device, input ? MM_WIM_CLOSE : MM_WOM_CLOSE, 0);
        closed = wavedev::removeDevice(device);
    }
    // The device thread may still be running for this device until its
    // stream is closed, but finds nothing queued and nothing to record into.
    wavedev::backendClose(*closed);
    closed.reset();
    wavedev::deliverPending();
    return MMSYSERR_NOERROR;
}

}  // namespace

MMRESULT waveInOpen(HWAVEIN* device, UINT deviceId, const WAVEFORMATEX* format,
                    std::uintptr_t callback, std::uintptr_t, DWORD flags) {
    std::uintptr_t handle = 0;
    MMRESULT result = device == nullptr ? MMSYSERR_INVALPARAM
                                        : openDevice(handle, true, deviceId, format, callback, flags);
    if (device != nullptr) *device = reinterpret_cast<HWAVEIN>(handle);
    return logged("waveInOpen", result, nullptr, format != nullptr ? format->nSamplesPerSec : 0);
}

MMRESULT waveInPrepareHeader(HWAVEIN device, WAVEHDR* header, UINT) {
    return logged("waveInPrepareHeader", prepare(idOf(device), true, header), header);
}

MMRESULT waveInAddBuffer(HWAVEIN device, WAVEHDR* header, UINT) {
    return logged("waveInAddBuffer", enqueue(idOf(device), true, header), header);
}

MMRESULT waveInStart(HWAVEIN device) {
    Device* started = nullptr;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        if (Device* d = wavedev::findDevice(idOf(device), true)) {
            d->started = true;
            started = d;
        }
    }
    if (started != nullptr) wavedev::backendStarted(*started);
    return logged("waveInStart", started != nullptr ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE);
}

MMRESULT waveInReset(HWAVEIN device) { return logged("waveInReset", reset(idOf(device), true)); }

MMRESULT waveInUnprepareHeader(HWAVEIN device, WAVEHDR* header, UINT) {
    return logged("waveInUnprepareHeader", unprepare(idOf(device), true, header), header);
}

MMRESULT waveInClose(HWAVEIN device) { return logged("waveInClose", close(idOf(device), true)); }

MMRESULT waveOutOpen(HWAVEOUT* device, UINT deviceId, const WAVEFORMATEX* format,
                     std::uintptr_t callback, std::uintptr_t, DWORD flags) {
    std::uintptr_t handle = 0;
    MMRESULT result = device == nullptr
                          ? MMSYSERR_INVALPARAM
                          : openDevice(handle, false, deviceId, format, callback, flags);
    if (device != nullptr) *device = reinterpret_cast<HWAVEOUT>(handle);
    return logged("waveOutOpen", result, nullptr, format != nullptr ? format->nSamplesPerSec : 0);
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT) {
    return logged("waveOutPrepareHeader", prepare(idOf(device), false, header), header);
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT) {
    return logged("waveOutWrite", enqueue(idOf(device), false, header), header);
}

MMRESULT waveOutReset(HWAVEOUT device) { return logged("waveOutReset", reset(idOf(device), false)); }

MMRESULT waveOutPause(HWAVEOUT device) { return logged("waveOutPause", hold(idOf(device), true)); }

MMRESULT waveOutRestart(HWAVEOUT device) {
    return logged("waveOutRestart", hold(idOf(device), false));
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT) {
    return logged("waveOutUnprepareHeader", unprepare(idOf(device), false, header), header);
}

MMRESULT waveOutClose(HWAVEOUT device) { return logged("waveOutClose", close(idOf(device), false)); }

}  // namespace win
