#pragma once
// Which channel of a recording holds the picture signal.
#include <cstddef>
#include <vector>

namespace codec {

// The picture's tones (black, white, line sync) lie in this band.
constexpr double SignalBandLow = 1500.0, SignalBandHigh = 3000.0;

// The energy of each channel of `frames` interleaved 16-bit frames in the
// signal band, from their spectrum.
std::vector<double> bandEnergies(const short* interleaved, std::size_t frames, int channels, int sampleRate);

// The channel (0-based) with the most energy; the first of equals.
int strongestChannel(const std::vector<double>& energies);

}  // namespace codec
