// Sound capture: the two capture buffers and their headers, the device, and
// the road of a filled buffer to the picture. All notifications arrive as
// window messages on the GUI thread.
#include "viewer/Capture.h"

#include "viewer/AutoPicture.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureDisplay.h"
#include "viewer/ReceiverAids.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace rx;

namespace {

constexpr UINT HeaderSize = 32;

bool isCaptureHeader(const WAVEHDR* header) {
    const CaptureState& c = viewer.capture;
    return header == &c.headers[0] || header == &c.headers[1];
}

}  // namespace

void capturePreamble() {
    ReceiverSettings& s = viewer.settings;
    CaptureState& c = viewer.capture;
    if (s.frameSamples > MaxFrameSamples) s.frameSamples = MaxFrameSamples;
    if (c.buffers[0].empty()) {
        for (auto& buffer : c.buffers) buffer.assign(CaptureBufferBytes + CaptureBufferSlack, 0);
    }
    c.format.wFormatTag = WAVE_FORMAT_PCM;
    c.format.nChannels = 1;
    c.format.nSamplesPerSec = static_cast<DWORD>(s.sampleRate);
    c.format.nAvgBytesPerSec = static_cast<DWORD>(s.sampleRate);
    c.format.nBlockAlign = 1;
    c.format.wBitsPerSample = 8;
    c.format.cbSize = 0;
    // A frame length below one sample leaves no buffer to queue; the bars
    // never take it there, this keeps any other path from doing so.
    c.headerLength = static_cast<DWORD>(s.frameSamples > 0 ? s.frameSamples : 1);
}

void openCapture(HWND window) {
    CaptureState& c = viewer.capture;
    waveInOpen(&c.device, WAVE_MAPPER, &c.format, reinterpret_cast<std::uintptr_t>(window), 0,
               CALLBACK_WINDOW);
    // A receiver without sound must not look like one receiving silence.
    if (c.device == nullptr) showNoSoundInput(window);
    c.requeued[0] = c.requeued[1] = false;
    c.dropping[0] = c.dropping[1] = false;
    c.captured = 0;
    c.alignTo = -1;
    ++c.opened;
    for (int i = 0; i < 2; ++i) {
        c.headers[i].lpData = reinterpret_cast<char*>(c.buffers[i].data());
        c.headers[i].dwBufferLength = c.headerLength;
        waveInPrepareHeader(c.device, &c.headers[i], HeaderSize);
    }
}

void startCapture() {
    CaptureState& c = viewer.capture;
    for (int i = 0; i < 2; ++i) {
        if (!c.requeued[i]) c.headers[i].dwBufferLength = c.headerLength;
        waveInAddBuffer(c.device, &c.headers[i], HeaderSize);
    }
    waveInStart(c.device);
}

void captureBufferDone(HWND window, LPARAM lParam) {
    ReceiverSettings& s = viewer.settings;
    CaptureState& c = viewer.capture;
    auto* header = reinterpret_cast<WAVEHDR*>(lParam);
    if (!isCaptureHeader(header) || c.buffers[0].empty()) return;

    // The buffer of this notification is the one to process. Both are queued
    // buffer 1 first and come back in queue order, so bufferTurn names it
    // already; but after a restart whose open failed, the stale buffers flip
    // the turn without being queued again, and the next device starts with
    // buffer 1 whatever the turn says. Taking the turn from the notice keeps
    // the receiver from reading a buffer the device is filling.
    s.bufferTurn = header == &c.headers[0] ? 1 : -1;
    const int turn = s.bufferTurn == 1 ? 0 : 1;
    const std::uint8_t* buffer = c.buffers[turn].data();
    if (!c.store) c.store = std::make_unique<PictureStore>();
    const int bytes = static_cast<int>(header->dwBytesRecorded);
    if (autoFramingOn()) {
        if (const PictureStore* shown = autoFramingBuffer(window, buffer, bytes, *c.store, c.arrays))
            viewer.shown = shown;
    } else if (!c.dropping[turn]) {
        demodulate(buffer, s, c.arrays);
        scanFrame(c.arrays.videoSignal.data(), s, *c.store);
        showPicture(window, *c.store, c.arrays.videoSignal.data());
        viewer.shown = c.store.get();
    }
    c.dropping[turn] = false;
    aidsAfterFrame(window, buffer, bytes, viewer.shown);
    c.captured += bytes > 0 ? bytes : 0;
    // A buffer handed back after capture stopped is drawn, but capture is not running.
    if (c.device == nullptr) showNoSoundInput(window);

    header->dwBufferLength = c.headerLength;
    if (c.alignTo >= 0) {
        // This buffer starts behind the other one, which is being filled.
        const std::int64_t starts = c.captured + c.headers[1 - turn].dwBufferLength;
        const std::int64_t n = c.headerLength;
        const std::int64_t drop = ((c.alignTo - starts) % n + n) % n;
        if (drop > 0) {
            header->dwBufferLength = static_cast<DWORD>(drop);
            c.dropping[turn] = true;
        }
        c.alignTo = -1;
    }
    waveInAddBuffer(c.device, header, HeaderSize);
    c.requeued[turn] = true;
    s.bufferTurn = -s.bufferTurn;
}

void stopCapture() {
    CaptureState& c = viewer.capture;
    // Every queued buffer comes back (as a notification) before the headers
    // are released and the device closed.
    waveInReset(c.device);
    waveInUnprepareHeader(c.device, &c.headers[0], HeaderSize);
    waveInUnprepareHeader(c.device, &c.headers[1], HeaderSize);
    waveInClose(c.device);
    c.device = nullptr;
}

void freeCaptureBuffers() {
    CaptureState& c = viewer.capture;
    for (auto& buffer : c.buffers) std::vector<std::uint8_t>().swap(buffer);
    c.arrays = FrameArrays{};
    for (WAVEHDR& header : c.headers) header = WAVEHDR{};
}
