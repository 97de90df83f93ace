#pragma once
// The sound server's devices of one direction, as the choice of sound card
// shows them.
#include <cstdint>
#include <string>
#include <vector>

namespace core {

constexpr std::uint32_t NoSoundDevice = 0xFFFFFFFFu;

struct SoundDevice {
    std::uint32_t index = NoSoundDevice;  // the server's number for it
    std::string name;                     // the server's name
    std::string description;              // what the desktop shows
    std::string port;                     // its active port, as shown ("Line In")
    std::string card;                     // its sound card, as shown
};

struct SoundDeviceList {
    std::vector<SoundDevice> devices;     // in the server's order
    std::string defaultName;              // the server's default device
    std::uint32_t streamDevice = NoSoundDevice;  // where our running stream is
};

// The names a device menu shows, one per device in list order: the
// description (else the server's name), and where several devices share
// it, what tells them apart, as the desktop's own volume control does: the
// port ("Analog Stereo (Line In)"), else the card, else both, else a
// number ("Monitor of Null Output (2)").
std::vector<std::string> deviceLabels(const std::vector<SoundDevice>& devices);

}  // namespace core
