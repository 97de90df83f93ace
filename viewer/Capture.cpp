// Sound capture: two capture buffers, each one frame long, queued
// alternately with the wave-input service. While the service fills one, the
// receiver processes the other, draws the frame and hands the buffer back.
// All notifications arrive as window messages on the GUI thread.
#include <memory>
#include <vector>

#include "platform/WaveAudio.h"
#include "viewer/AutoPicture.h"
#include "viewer/Demodulator.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureDisplay.h"
#include "viewer/PictureStore.h"
#include "viewer/ReceiverAids.h"
#include "viewer/Viewer.h"

using namespace win;
using namespace rx;

namespace {

constexpr UINT HeaderSize = 32;

HWAVEIN inputDevice = nullptr;
WAVEFORMATEX inputFormat{};
// Each buffer holds positions 0..16800 and a few zeroed bytes of slack the
// mixer's last group may read; made once, at the first event.
std::vector<std::uint8_t> captureBuffers[2];
WAVEHDR captureHeaders[2]{};
// The header length for any header prepared or queued in this event.
DWORD headerLength = 0;
// Headers queued again with the device opened last, by the notifications of
// buffers the previous device handed back. They belong to the device now:
// the open notification's queue call is refused for them and must not
// change their length either.
bool requeued[2] = {false, false};
// The received picture, made at the first processed frame and kept.
std::unique_ptr<PictureStore> pictureStore;
// The frame's working arrays. One set serves every frame: demodulate leaves
// it exactly as a fresh zero-filled set would be, without the cost of
// making one each frame.
FrameArrays frameArrays;

bool isCaptureHeader(const WAVEHDR* header) {
    return header == &captureHeaders[0] || header == &captureHeaders[1];
}

}  // namespace

void capturePreamble() {
    ReceiverSettings& s = receiverSettings;
    if (s.frameSamples > MaxFrameSamples) s.frameSamples = MaxFrameSamples;
    if (captureBuffers[0].empty()) {
        for (auto& buffer : captureBuffers) buffer.assign(CaptureBufferBytes + CaptureBufferSlack, 0);
    }
    inputFormat.wFormatTag = WAVE_FORMAT_PCM;
    inputFormat.nChannels = 1;
    inputFormat.nSamplesPerSec = static_cast<DWORD>(s.sampleRate);
    inputFormat.nAvgBytesPerSec = static_cast<DWORD>(s.sampleRate);
    inputFormat.nBlockAlign = 1;
    inputFormat.wBitsPerSample = 8;
    inputFormat.cbSize = 0;
    // A frame length below one sample leaves no buffer to queue; the bars
    // never take it there, this keeps any other path from doing so.
    headerLength = static_cast<DWORD>(s.frameSamples > 0 ? s.frameSamples : 1);
}

void openCapture(HWND window) {
    waveInOpen(&inputDevice, WAVE_MAPPER, &inputFormat, reinterpret_cast<std::uintptr_t>(window), 0,
               CALLBACK_WINDOW);
    // A receiver without sound must not look like one receiving silence.
    if (inputDevice == nullptr) showNoSoundInput(window);
    requeued[0] = requeued[1] = false;
    for (int i = 0; i < 2; ++i) {
        captureHeaders[i].lpData = reinterpret_cast<char*>(captureBuffers[i].data());
        captureHeaders[i].dwBufferLength = headerLength;
        waveInPrepareHeader(inputDevice, &captureHeaders[i], HeaderSize);
    }
}

void startCapture() {
    for (int i = 0; i < 2; ++i) {
        if (!requeued[i]) captureHeaders[i].dwBufferLength = headerLength;
        waveInAddBuffer(inputDevice, &captureHeaders[i], HeaderSize);
    }
    waveInStart(inputDevice);
}

void captureBufferDone(HWND window, LPARAM lParam) {
    ReceiverSettings& s = receiverSettings;
    auto* header = reinterpret_cast<WAVEHDR*>(lParam);
    if (!isCaptureHeader(header) || captureBuffers[0].empty()) return;

    // The buffer of this notification is the one to process. Both are queued
    // buffer 1 first and come back in queue order, so bufferTurn names it
    // already; but after a restart whose open failed, the stale buffers flip
    // the turn without being queued again, and the next device starts with
    // buffer 1 whatever the turn says. Taking the turn from the notice keeps
    // the receiver from reading a buffer the device is filling.
    s.bufferTurn = header == &captureHeaders[0] ? 1 : -1;
    const std::uint8_t* buffer = captureBuffers[s.bufferTurn == 1 ? 0 : 1].data();
    if (!pictureStore) pictureStore = std::make_unique<PictureStore>();
    const int bytes = static_cast<int>(header->dwBytesRecorded);
    const PictureStore* shown = pictureStore.get();
    if (autoFramingOn()) {
        shown = &autoFramingBuffer(window, buffer, bytes, *pictureStore, frameArrays);
    } else {
        demodulate(buffer, s, frameArrays);
        scanFrame(frameArrays.videoSignal.data(), s, *pictureStore);
        showPicture(window, *pictureStore, frameArrays.videoSignal.data());
    }
    aidsAfterFrame(window, buffer, bytes, *shown);
    // A buffer handed back after capture stopped is drawn, but capture is not running.
    if (inputDevice == nullptr) showNoSoundInput(window);

    header->dwBufferLength = headerLength;
    waveInAddBuffer(inputDevice, header, HeaderSize);
    requeued[header == &captureHeaders[0] ? 0 : 1] = true;
    s.bufferTurn = -s.bufferTurn;
}

const PictureStore* shownPictureStore() { return pictureStore.get(); }

void stopCapture() {
    // Every queued buffer comes back (as a notification) before the headers
    // are released and the device closed.
    waveInReset(inputDevice);
    waveInUnprepareHeader(inputDevice, &captureHeaders[0], HeaderSize);
    waveInUnprepareHeader(inputDevice, &captureHeaders[1], HeaderSize);
    waveInClose(inputDevice);
    inputDevice = nullptr;
}

void freeCaptureBuffers() {
    for (auto& buffer : captureBuffers) std::vector<std::uint8_t>().swap(buffer);
    frameArrays = FrameArrays{};
    for (WAVEHDR& header : captureHeaders) header = WAVEHDR{};
}
