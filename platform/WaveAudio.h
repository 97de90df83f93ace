#pragma once
// Wave-audio input and output with the platform's names, types and numbers,
// on the default devices through the desktop's sound server (libpulse), or
// through PortAudio where no such server answers (or, for tests, a scripted
// backend: tests/doubles/WaveScript.h). platform/WaveBackend.cpp chooses.
//
// How it behaves, in short:
// - Buffers are queued with waveInAddBuffer / waveOutWrite and come back in
//   the order they were queued, each reported to the window given at open as
//   MM_WIM_DATA / MM_WOM_DONE (first parameter the handle, second the
//   header). Open and close are reported as MM_WIM_OPEN / MM_WOM_OPEN and
//   MM_WIM_CLOSE / MM_WOM_CLOSE. Every notification reaches the window in the
//   order it happened, through the notifier (the window system's post, see
//   core/MessagePost.h, unless a test sets another).
// - A queued buffer and its header belong to the device until the
//   notification that returns it has been posted; the device writes
//   dwBytesRecorded and dwFlags before posting. A buffer that is returned is
//   no longer WHDR_INQUEUE by the time the call that returned it (reset,
//   close) comes back, so it can be unprepared at once.
// - Calls on a null or closed handle return MMSYSERR_INVALHANDLE and change
//   nothing. Closing a device that still has buffers queued returns them
//   first, as a reset does, so that no buffer is ever left with a device
//   that is gone.
// - Input records unsigned 8-bit mono (128 = zero) at any rate the default
//   input accepts; output plays 16-bit signed stereo. Samples that arrive
//   while no input buffer is queued are lost; output plays silence while no
//   buffer is queued and is gapless from one queued buffer to the next.
// - The header size argument of the platform's calls is accepted and not
//   examined.
// Call these from one thread (the GUI thread); the device's own thread only
// moves samples.
#include <cstdint>

#include "core/WindowTypes.h"

namespace win {

struct WaveInDevice;   // never defined: a handle is a token, not a pointer
struct WaveOutDevice;
using HWAVEIN = WaveInDevice*;
using HWAVEOUT = WaveOutDevice*;
using MMRESULT = UINT;

struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};

struct WAVEHDR {
    char* lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    std::uintptr_t dwUser;
    DWORD dwFlags;
    DWORD dwLoops;
    WAVEHDR* lpNext;          // used by the device while the header is queued
    std::uintptr_t reserved;
};

constexpr UINT WAVE_MAPPER = 0xFFFFFFFFu;
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;
constexpr WORD WAVE_FORMAT_PCM = 1;

constexpr DWORD WHDR_DONE = 0x00000001;
constexpr DWORD WHDR_PREPARED = 0x00000002;
constexpr DWORD WHDR_INQUEUE = 0x00000010;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

// Input. The device is WAVE_MAPPER (or 0): the system's default input. The
// callback is the window to notify when flags is CALLBACK_WINDOW; with
// CALLBACK_NULL nothing is posted. On failure *device is null and nothing is
// posted.
MMRESULT waveInOpen(HWAVEIN* device, UINT deviceId, const WAVEFORMATEX* format,
                    std::uintptr_t callback, std::uintptr_t instance, DWORD flags);
MMRESULT waveInPrepareHeader(HWAVEIN device, WAVEHDR* header, UINT headerSize);
// Refused with WAVERR_UNPREPARED for a header not prepared and with
// WAVERR_STILLPLAYING for one already queued; either way nothing changes.
MMRESULT waveInAddBuffer(HWAVEIN device, WAVEHDR* header, UINT headerSize);
MMRESULT waveInStart(HWAVEIN device);
// Stops recording and returns every queued buffer, in queue order, each with
// the bytes recorded into it so far.
MMRESULT waveInReset(HWAVEIN device);
MMRESULT waveInUnprepareHeader(HWAVEIN device, WAVEHDR* header, UINT headerSize);
MMRESULT waveInClose(HWAVEIN device);

// Output: 16-bit stereo PCM.
MMRESULT waveOutOpen(HWAVEOUT* device, UINT deviceId, const WAVEFORMATEX* format,
                     std::uintptr_t callback, std::uintptr_t instance, DWORD flags);
MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT headerSize);
// Queues the buffer behind those already queued; it plays as soon as those
// have played.
MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT headerSize);
// Stops playing at once and returns every queued buffer, in queue order.
// A paused device stays paused.
MMRESULT waveOutReset(HWAVEOUT device);
// Holds playback where it stands: nothing is played, not even silence (the
// sound server's stream is corked, PortAudio's stopped), until
// waveOutRestart. Buffers written meanwhile are not played before then;
// the sound server may take them into its own buffer (and so hand them
// back) in the meantime.
MMRESULT waveOutPause(HWAVEOUT device);
MMRESULT waveOutRestart(HWAVEOUT device);
MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT headerSize);
MMRESULT waveOutClose(HWAVEOUT device);

// Where notifications go: a function that is safe to call from any thread
// and returns at once. Null restores the default,
// core::postWindowMessage.
using WaveNotifier = void (*)(HWND, UINT, WPARAM, LPARAM);
void setWaveNotifier(WaveNotifier notifier);

}  // namespace win
