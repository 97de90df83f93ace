#pragma once
// The inside of the wave-audio stand-ins, shared by the calls, the two
// backends and the notification queue. Program code never includes this.
//
// One mutex (stateMutex) guards every device record, every queued header and
// the notification queue. It is held only for short, allocation-free
// sections on the device thread (moving one callback's samples) and for
// short sections on the GUI thread. Notifications are never posted with it
// held: they are queued under it and posted afterwards by deliverPending,
// which keeps their order.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/WaveAudio.h"

namespace wavedev {

enum class Backend { PortAudio, Pulse, Scripted };

// NBTV_SOUND: "pulse" or "portaudio" force one backend; otherwise the
// sound server's own protocol when a server answers, else PortAudio.
enum class SoundChoice { Automatic, Pulse, PortAudio };
SoundChoice soundChoice();

struct Device {
    std::uintptr_t id = 0;          // the handle's value; never reused
    bool input = true;
    Backend backend = Backend::PortAudio;
    win::HWND window = nullptr;     // notified when not null
    win::DWORD sampleRate = 0;
    bool started = false;           // input: recording into the queued buffers
    win::WAVEHDR* head = nullptr;   // queued buffers, linked through lpNext
    win::WAVEHDR* tail = nullptr;
    win::DWORD headOffset = 0;      // output: bytes of the head buffer already played
    bool paused = false;            // output: held by waveOutPause
    bool stopping = false;          // the backend's stream is being stopped by us
    void* stream = nullptr;         // the backend's stream, when there is one
};

std::mutex& stateMutex();

// --- With stateMutex held ---------------------------------------------------

// Registers the device, giving it a fresh id; the registry owns it.
Device* addDevice(std::unique_ptr<Device> device);
// The open device with that id and direction, or null.
Device* findDevice(std::uintptr_t id, bool input);
// Takes the device out of the registry; its handle is invalid from now on.
std::unique_ptr<Device> removeDevice(Device* device);
// The most recently opened device of that direction and backend, or null.
Device* newestDevice(bool input, Backend backend);
// Drops every device of that backend without touching its queued headers
// (whose memory may be gone) and without notifications.
void forgetDevices(Backend backend);

// Appends a prepared header that is not queued; reserves room for the
// notification that will return it, so the device thread never allocates.
void queueBuffer(Device& device, win::WAVEHDR* header);
// Takes the head buffer off the queue and returns it to the program, with
// that many bytes recorded (input).
void returnHead(Device& device, win::DWORD bytesRecorded);
// Returns every queued buffer, in order (reset and close).
void returnAllBuffers(Device& device);
// Device side: records incoming samples into the queued buffers, returning
// each one that fills up. True when a buffer was returned.
bool recordInput(Device& device, const std::uint8_t* samples, std::size_t count);
// Device side: fills `out` from the queued buffers, silence when they run
// dry, returning each one played to its end. True when a buffer was returned.
bool playOutput(Device& device, std::uint8_t* out, std::size_t count);

// The notification queue. notify queues one for the device's window (GUI
// side; may allocate). reserveNotice makes room for one that the device
// side queues later with noticeFromDevice, which never allocates.
void notify(const Device& device, win::UINT message, win::LPARAM lParam);
void reserveNotice();
void noticeFromDevice(const Device& device, win::UINT message, win::LPARAM lParam);
void cancelNotice();  // gives back a reservation that will not be used

// --- Without stateMutex -----------------------------------------------------

// Posts every queued notification, in order, on the calling thread; returns
// once all that were queued when it was called have been posted.
void deliverPending();
// Device side: has the notifier thread post what is queued.
void wakeNotifier();
// Device side, for a device thread that may block and allocate (not
// PortAudio's): posts what is queued, or has the notifier thread do it.
void deliverFromDevice();
// Starts the notifier thread if it is not running yet (GUI side).
void startNotifier();
// Posts one notification at once through the notifier in force, from any
// thread, outside the queue (for news that has no order to keep).
void postNow(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Stand-ins that tests put in place (tests/doubles/WaveScript.h): an open
// that replaces the real backends' for devices opened from then on, and a
// log that sees every wave call. Null takes either away.
using SubstituteOpen = win::MMRESULT (*)(Device& device, const win::WAVEFORMATEX& format);
using CallLog = void (*)(const char* name, const win::WAVEHDR* header, win::DWORD length,
                         win::MMRESULT result, win::DWORD sampleRate);
void setSubstituteOpen(SubstituteOpen open);
void setCallLog(CallLog log);

// Backends: open fills in device.stream and the like, or returns an error
// with nothing left open. close returns once the device thread no longer
// runs for this device.
win::MMRESULT portAudioOpen(Device& device, const win::WAVEFORMATEX& format);
void portAudioClose(Device& device);
// The test stand-in's open while one is in place, else null.
SubstituteOpen substituteOpenInForce();
// The sound server's own protocol. pulseAvailable connects when needed
// and says whether a server answers.
bool pulseAvailable();
win::MMRESULT pulseOpen(Device& device, const win::WAVEFORMATEX& format);
void pulseClose(Device& device);

// Called by the wave calls, without stateMutex, after the queue changed:
// the device's backend opens (choosing one), closes, starts recording,
// has a buffer queued, or has had its queue reset.
win::MMRESULT backendOpen(Device& device, const win::WAVEFORMATEX& format);
void backendClose(Device& device);
void backendStarted(Device& device);
void backendQueued(Device& device);
void backendReset(Device& device);
// Output held by waveOutPause, or playing again after waveOutRestart.
void backendPaused(Device& device);
void backendRestarted(Device& device);
// Milliseconds until what the device's stream already holds has been
// played (0 when it holds nothing, or it cannot tell).
int backendDelay(Device& device);
void pulseStarted(Device& device);
void pulseQueued(Device& device);
void pulseReset(Device& device);
void pulsePaused(Device& device);
void pulseRestarted(Device& device);
int pulseDelay(Device& device);
void portAudioPaused(Device& device);
void portAudioRestarted(Device& device);
int portAudioDelay(Device& device);
// The playback delay the test stand-in's devices report.
void setSubstituteDelay(int milliseconds);
int substituteDelay();

}  // namespace wavedev
