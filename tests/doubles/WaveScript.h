#pragma once
// The scripted wave-audio backend, for tests: no sound device. The test
// decides whether the devices exist and which rates they take, delivers
// input samples and plays output buffers when it likes, and reads back what
// was played and every wave call the program made.
//
// Input goes to, and output comes from, the most recently opened scripted
// device of that direction. Every function here posts the notifications it
// causes before it returns (through the notifier of win::setWaveNotifier), so
// a test can deliver pending events right after. Call them from the test's
// own thread or from a thread standing in for the sound card, never from
// inside a notifier.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WaveAudio.h"

namespace wavescript {

// Devices opened from now on are scripted (true) or real (false). Either way
// the script starts afresh: both devices present and taking every rate,
// nothing played, the call log empty, and calls logged when on is true.
// Scripted devices still open are forgotten, without notifications and
// without touching their queued buffers, so a test that stopped half-way
// leaves nothing behind for the next.
void useScriptedBackend(bool on);

// Whether the device exists (else opens fail with MMSYSERR_NODRIVER) and the
// rates it takes (others fail with WAVERR_BADFORMAT). Applies to later opens.
void setInputDevice(bool present, win::DWORD lowestRate = 1, win::DWORD highestRate = 0xFFFFFFFF);
void setOutputDevice(bool present, win::DWORD lowestRate = 1, win::DWORD highestRate = 0xFFFFFFFF);

// Completes the head queued input buffer with these bytes (at most its
// length): dwBytesRecorded is their count, and MM_WIM_DATA is posted. False,
// with nothing done, when no input is open and recording or none is queued.
bool fillNextInput(const std::vector<std::uint8_t>& bytes);
// Records bytes as the sound card would: into the queued buffers one after
// the other, returning each one that fills up; bytes with no buffer to go to
// are lost. False when no input is open and recording.
bool streamInput(const std::uint8_t* bytes, std::size_t count);

// Plays the rest of the head queued output buffer and returns it
// (MM_WOM_DONE). False when no output is open or playing or none is
// queued.
bool completeNextOutput();
// Plays that many bytes as the sound card would: across queued buffers
// without a gap, silence when they run dry. False when no output is open
// or it is paused.
bool streamOutput(std::size_t byteCount);
// Everything played so far, as 16-bit samples (left, right, left, ...).
std::vector<std::int16_t> playedSamples();
// Whether the newest output is held by waveOutPause (nothing plays then:
// completeNextOutput and streamOutput return false).
bool outputPaused();
// How long the output says its sound still takes to play (default 0).
void setPlaybackDelay(int milliseconds);
// The output fails as when the sound server goes away: WM_PLAYBACKFAILED
// is posted. False when no output is open.
bool failOutput();

// The headers queued with the newest scripted device of each direction, in
// queue order, and whether that input is recording.
std::vector<const win::WAVEHDR*> queuedInput();
std::vector<const win::WAVEHDR*> queuedOutput();
bool inputRecording();

// The log of wave calls made through win:: (either backend): the call's
// name ("waveInAddBuffer"), the header passed (or null), its dwBufferLength
// at the time of the call, the result, and for opens the sample rate asked.
struct WaveCall {
    std::string name;
    const win::WAVEHDR* header;
    win::DWORD length;
    win::MMRESULT result;
    win::DWORD sampleRate;
};
void logCalls(bool on);
std::vector<WaveCall> calls();
void clearCalls();

}  // namespace wavescript
