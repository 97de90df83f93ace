#pragma once
// The receiver's one record of settings and run state. Every field is a
// signed 32-bit integer; two-way fields hold +1 or -1 and flip by negation.
#include <cstdint>

namespace rx {

struct ReceiverSettings {
    std::int32_t sampleRate = 0;     // capture samples per second
    std::int32_t frameSamples = 0;   // samples per frame = capture buffer length
    std::int32_t lineSamples = 0;    // samples per picture line (slant)
    std::int32_t brightness = 0;     // offset of the level mapping
    std::int32_t contrast = 0;       // gain of the level mapping
    std::int32_t syncLevel = 0;      // line-sync threshold
    std::int32_t syncOn = 0;         // +1 line-sync search on, -1 off
    std::int32_t polarity = 0;       // +1 as detected, -1 inverted
    std::int32_t framePicture = 0;   // +1 normal, -1 frame one line short
    std::int32_t lowPassCutoff = 0;  // 800, 1200 or 1500 Hz
    std::int32_t demodMode = 0;      // 1 = AM, 2 = FM
    std::int32_t bufferTurn = 0;     // +1 first capture buffer next, -1 second
    std::int32_t restarting = 0;     // 1 once a sample-rate command has run
};

constexpr std::int32_t DemodAM = 1;
constexpr std::int32_t DemodFM = 2;

}  // namespace rx
