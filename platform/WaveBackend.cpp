// Which backend a device opens with, and the calls that go on to it. The
// choice is made at every open: the sound server's own protocol when a
// PulseAudio-protocol server (PulseAudio or pipewire-pulse) answers,
// PortAudio otherwise (pure ALSA or JACK systems), without a word to the
// user; NBTV_SOUND=pulse or NBTV_SOUND=portaudio forces one.
#include <cstdlib>
#include <cstring>

#include "platform/WaveDevice.h"

namespace wavedev {

SoundChoice soundChoice() {
    const char* choice = std::getenv("NBTV_SOUND");
    if (choice == nullptr) return SoundChoice::Automatic;
    if (std::strcmp(choice, "pulse") == 0) return SoundChoice::Pulse;
    if (std::strcmp(choice, "portaudio") == 0) return SoundChoice::PortAudio;
    return SoundChoice::Automatic;
}

win::MMRESULT backendOpen(Device& device, const win::WAVEFORMATEX& format) {
    if (SubstituteOpen substitute = substituteOpenInForce()) {
        device.backend = Backend::Scripted;
        return substitute(device, format);
    }
    SoundChoice choice = soundChoice();
    bool pulse = choice == SoundChoice::Pulse ||
                 (choice == SoundChoice::Automatic && pulseAvailable());
    device.backend = pulse ? Backend::Pulse : Backend::PortAudio;
    return pulse ? pulseOpen(device, format) : portAudioOpen(device, format);
}

void backendClose(Device& device) {
    if (device.backend == Backend::PortAudio) portAudioClose(device);
    if (device.backend == Backend::Pulse) pulseClose(device);
}

void backendStarted(Device& device) {
    if (device.backend == Backend::Pulse) pulseStarted(device);
}

void backendQueued(Device& device) {
    if (device.backend == Backend::Pulse) pulseQueued(device);
}

void backendReset(Device& device) {
    if (device.backend == Backend::Pulse) pulseReset(device);
}

void backendPaused(Device& device) {
    if (device.backend == Backend::Pulse) pulsePaused(device);
    if (device.backend == Backend::PortAudio) portAudioPaused(device);
}

void backendRestarted(Device& device) {
    if (device.backend == Backend::Pulse) pulseRestarted(device);
    if (device.backend == Backend::PortAudio) portAudioRestarted(device);
}

int backendDelay(Device& device) {
    switch (device.backend) {
    case Backend::Pulse: return pulseDelay(device);
    case Backend::PortAudio: return portAudioDelay(device);
    case Backend::Scripted: return substituteDelay();
    }
    return 0;
}

}  // namespace wavedev
