#pragma once
// Sound capture: two capture buffers, each one frame long, queued
// alternately with the wave-input service. While the service fills one, the
// receiver processes the other, draws the frame and hands the buffer back.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/WindowTypes.h"
#include "platform/WaveAudio.h"
#include "viewer/Demodulator.h"
#include "viewer/PictureStore.h"

struct CaptureState {
    win::HWAVEIN device = nullptr;
    win::WAVEFORMATEX format{};
    // Each buffer holds positions 0..16800 and a few zeroed bytes of slack
    // the mixer's last group may read; made once, at the first event.
    std::vector<std::uint8_t> buffers[2];
    win::WAVEHDR headers[2]{};
    // The header length for any header prepared or queued in this event.
    win::DWORD headerLength = 0;
    // Headers queued again with the device opened last, by the notifications
    // of buffers the previous device handed back. They belong to the device
    // now: the open notification's queue call is refused for them and must
    // not change their length either.
    bool requeued[2] = {false, false};
    // Samples handed back since capture opened: the stream position of the
    // next buffer to come back.
    std::int64_t captured = 0;
    int opened = 0;  // counts the opens: a new stream each
    // A stream position the plain receiver's frames are to start from (a
    // frame start automatic framing found), or -1. The next buffer queued
    // is queued short, up to the next such start, and passed over when it
    // comes back: the samples up to the frame start are dropped once.
    std::int64_t alignTo = -1;
    bool dropping[2] = {false, false};
    // The received picture, made at the first processed frame and kept.
    std::unique_ptr<rx::PictureStore> store;
    // The frame's working arrays. One set serves every frame: demodulate
    // leaves it exactly as a fresh zero-filled set would be, without the
    // cost of making one each frame.
    rx::FrameArrays arrays;
};

// The preamble run before every event, open, start, a filled buffer, stop
// and the buffers' release.
void capturePreamble();
void openCapture(win::HWND window);
void startCapture();
void captureBufferDone(win::HWND window, win::LPARAM header);
void stopCapture();
void freeCaptureBuffers();
