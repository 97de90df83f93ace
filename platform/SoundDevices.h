#pragma once
// The sound server's devices, for the choice of sound card: its capture
// sources (monitors too) and playback sinks by their desktop names, and
// moving the program's running stream to one of them. The server itself
// remembers where a program's stream was moved to, so nothing is stored
// here. Works through a PulseAudio-protocol server (PulseAudio or
// pipewire-pulse); without one the lists are empty and nothing moves.
#include <cstdint>
#include <string>

#include "core/SoundDeviceList.h"
#include "core/WindowTypes.h"

namespace platform {

// Posted to the watching window whenever the list of a direction, the
// server's default or the device of the running stream may have changed.
constexpr win::UINT WM_SOUNDDEVICES = win::WM_USER + 0x2200;

using core::NoSoundDevice;
using core::SoundDevice;
using core::SoundDeviceList;

// The application name the server shows for this program's streams
// ("NBTV Viewer"); set before the first sound device is opened.
void setSoundApplicationName(const std::string& name);

// From now on, every change of the capture sources (input true) or the
// playback sinks posts WM_SOUNDDEVICES (parameters 1 for input, 0 for
// output, and 0) to the window; a later call replaces the window, a null
// window ends the watch. Also
// follows a server that goes away and comes back. Does nothing with the
// scripted test backend or with NBTV_SOUND=portaudio.
void watchSoundDevices(bool input, win::HWND window);

// The devices of that direction as last heard from the server.
SoundDeviceList soundDevices(bool input);

// Moves the newest open stream of that direction to the device with that
// index, or to the server's default for NoSoundDevice. Asynchronous: the
// window hears WM_SOUNDDEVICES when the server has answered, whether it
// moved the stream or not. False when there is no stream to move.
bool moveSoundStream(bool input, std::uint32_t deviceIndex);

}  // namespace platform
