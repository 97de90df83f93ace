#pragma once
// One found frame's video signal on the sender's own sample grid. The sound
// about the frame is demodulated at the receiver's rate, as the receiver
// demodulates a capture buffer; the result is then read at the places
// where the sender's samples stand (its silent sample at `start`, one every
// period / 3841 samples), so that VideoSignal position p holds the sender's
// sample p + 1 whatever the receiver's rate and clock: the line timing then
// cuts it as a frame of 3841 samples in lines of 120, and row r of line k
// shows the sender's line k row r, the picture upright and unshifted.
#include <cstdint>
#include <vector>

#include "viewer/Demodulator.h"
#include "viewer/ReceiverSettings.h"

namespace rx {

// The samples first..last of the sound that the video of a frame starting
// at `start`, `period` samples long, reads: the frame and, about it, the
// demodulator's delay and its filter's and the interpolation's reach.
void frameVideoSpan(const ReceiverSettings& settings, double start, double period, std::int64_t& first,
                    std::int64_t& last);

// How many samples late the demodulator's output is: VideoSignal position
// i shows the tone of sample i + delay (the low-pass filter's centre).
int demodulatorDelay(int lowPassCutoff);

// `sound` holds `count` samples; the frame's silent sample stands at
// `start` in them and frames are `period` samples long; samples outside
// the sound count as silence. Fills `video` (VideoSignalLength positions) as demodulate
// lays out a frame of 3841 samples; `work` is demodulate's working space.
void frameVideo(const std::uint8_t* sound, std::int64_t count, double start, double period,
                const ReceiverSettings& settings, FrameArrays& work, std::vector<float>& video);

// The settings the line timing cuts such a frame with: the sender's frame
// length, everything else as set.
ReceiverSettings frameVideoSettings(const ReceiverSettings& settings);

}  // namespace rx
