#pragma once
// The transmitter's sound for a grey picture, as an 8-bit capture with a
// clock error records it, for tests that cannot include the transmitter's
// headers beside the receiver's.
#include <cstdint>
#include <vector>

// grey: 96 x 120 levels, row 0 (the bottom) first. See SentSignal.h.
std::vector<std::uint8_t> sentSound(const std::vector<std::uint8_t>& grey, bool lineSync, int frames,
                                    double ppm, double from);
