#pragma once
// The input level of captured sound and where a transmitter's tones fall,
// for the tuning display. Bytes in, numbers out.
#include <array>
#include <cstdint>

namespace rx {

// Peak and RMS of unsigned 8-bit samples as fractions of full scale (128),
// and whether any sample reached 0 or 255.
struct InputLevel {
    double peak = 0;
    double rms = 0;
    bool clipped = false;
};
InputLevel inputLevel(const std::uint8_t* samples, int count);

// Where a transmitter's black, white and sync tones (made for 10000 samples
// a second) fall when captured at this rate: the receiver works at a
// quarter of its rate, so the tones scale with it.
std::array<double, 3> toneMarkers(int sampleRate);

}  // namespace rx
