#pragma once
// The one connection of this process to a PulseAudio-protocol sound server
// (PulseAudio itself, or PipeWire's pipewire-pulse): a threaded main loop
// and a context, made at first use and kept for the run. Private to
// platform/.
//
// Lock order: the main loop's lock first, then the wave state mutex. Every
// callback of the main loop runs with its lock held, so the GUI thread
// never takes the main-loop lock while it holds the state mutex.
#include <pulse/pulseaudio.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/SoundDevices.h"

namespace pulseconn {

// The main loop, started at first call; never null afterwards.
pa_threaded_mainloop* mainloop();

// With the main-loop lock held: the context when it is connected and
// ready; otherwise makes a fresh one and waits (at most a few seconds) for
// it to connect. Null when no server answers.
pa_context* readyContext();

// With the main-loop lock held: waits on the main loop's signals until
// done() is true or the time is up; returns done().
bool waitFor(double seconds, const std::function<bool()>& done);

// With the main-loop lock held: the property list for a new stream; the
// caller frees it.
pa_proplist* streamProperties(bool input);

// With the main-loop lock held: the last known devices of a direction, the
// server's default one, and a note that something changed for the program
// watching that direction (a stream opened or moved).
const std::vector<platform::SoundDevice>& devices(bool input);
const std::string& defaultDevice(bool input);
void announceChange(bool input);

}  // namespace pulseconn
