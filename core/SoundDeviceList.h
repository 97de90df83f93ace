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
};

struct SoundDeviceList {
    std::vector<SoundDevice> devices;     // in the server's order
    std::string defaultName;              // the server's default device
    std::uint32_t streamDevice = NoSoundDevice;  // where our running stream is
};

}  // namespace core
