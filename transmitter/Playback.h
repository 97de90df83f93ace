#pragma once
// Sound output: two frame buffers played back to back. Each buffer the
// device hands back is rebuilt and queued again behind the one still
// playing.
#include "core/WindowTypes.h"
#include "platform/WaveAudio.h"
#include "transmitter/Synthesis.h"

// The output device and its two buffers, made once, zero-filled, alive for
// the run.
struct SoundOutput {
    win::HWAVEOUT device = nullptr;
    win::WAVEFORMATEX format{};
    tx::FrameBuffer buffers[2]{};
    win::WAVEHDR headers[2]{};
    int nextBuffer = 0;   // which buffer the next completion refills
    bool playing = false; // completions after the stop refill nothing
    bool open = false;    // the device took the format
};

// Start (two frames built and queued), a played buffer (refill and queue
// again), stop.
void startSoundOutput(win::HWND window);
void soundBufferDone();
void stopSoundOutput();
