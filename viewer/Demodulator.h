#pragma once
// The demodulator: one captured frame of 8-bit sound samples in, the frame's
// video signal out. The picture rides on a subcarrier at a quarter of the
// sample rate, as AM or FM; the samples are mixed down with a quarter-rate
// reference in two phases, low-pass filtered and detected.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "viewer/ReceiverSettings.h"

namespace rx {

// The longest frame, and so the largest capture buffer the sound card fills.
constexpr int MaxFrameSamples = 16800;
// A capture buffer holds positions 0..16800: the longest frame plus one.
constexpr std::size_t CaptureBufferBytes = MaxFrameSamples + 1;
// The mixer works in groups of four and reads up to three bytes past the
// frame's end (position 16803 at the longest frames), so capture buffers
// carry this many zeroed bytes beyond CaptureBufferBytes.
constexpr std::size_t CaptureBufferSlack = 3;
// Positions of VideoSignal: enough for every frame length and line length
// the line timing can reach while writing picture rows.
constexpr std::size_t VideoSignalLength = 60001;

// The working arrays of one frame, all zero when made. The mixer, filter
// and detector arrays are indexed by sample position like the capture
// buffer. `mixedPairs` holds the mixer's non-zero outputs as neighbouring
// (cosine, sine) pairs in double, the form the filters read.
struct FrameArrays {
    std::vector<float> mixedI;
    std::vector<float> mixedQ;
    std::vector<float> filteredI;
    std::vector<float> filteredQ;
    std::vector<float> videoSignal;
    std::vector<double> mixedPairs;
    // The frame length of the last demodulate into these arrays (0 while
    // they are all zero), so that a reused set can be put back into the
    // state a fresh one would have.
    int demodulatedSamples = 0;
};

// Elements of each mixer and filter array for a frame of N samples:
// positions 0..2N, and never fewer than the filters read (N+24).
std::size_t workingArrayLength(int frameSamples);

// A zero-filled set of working arrays sized for frames of N samples.
FrameArrays makeFrameArrays(int frameSamples);

// The frame length demodulate works with: frameSamples cut into 1..16800.
int usableFrameSamples(int frameSamples);

// Demodulates one frame of N = frameSamples samples (cut into 1..16800).
// The capture buffer must hold positions 0..N+4 (any buffer of
// CaptureBufferBytes + CaptureBufferSlack bytes does); positions from N on
// are read as they stand. Arrays that are too small are grown first, and
// arrays left from an earlier frame end exactly as fresh ones would, so a
// caller may reuse one FrameArrays for every frame.
//
// VideoSignal afterwards: positions 0..N+1 hold the detector output with
// `polarity` applied, positions N+2..2N+1 repeat positions 2..N+1, and every
// position above is 0.
void demodulate(const std::uint8_t* captureBuffer, const ReceiverSettings& settings,
                FrameArrays& arrays);

}  // namespace rx
