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
    bool held = false;    // paused: what is queued waits (sending off, radio not keyed yet)
};

// Start (two frames built and queued; held when sending is off or the
// radio is still to be keyed), a played buffer (refill and queue again),
// stop. A completion for a buffer that is queued again already
// (news from before sending was turned off and on) is passed over. Stop
// returns how long the sound the card already held still plays, in
// milliseconds, when the radio is keyed through push-to-talk (else 0).
void startSoundOutput(win::HWND window);
void soundBufferDone(const win::WAVEHDR* header);
int stopSoundOutput();

// For sending on and off: two fresh frames built and queued (playing
// unless held); the output held or let go; every queued frame dropped at
// once (the device stays held), returning how long what the card already
// took still plays, in milliseconds.
void queueFreshFrames();
void holdOutput(bool held);
int dropQueuedFrames();
// The device has failed for good: nothing more is built or queued.
void soundOutputFailed();
