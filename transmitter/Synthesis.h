#pragma once
// The transmitter's signal: one frame of frequency-modulated tone per
// picture. A frame is 3841 stereo sample frames at 10000 per second: sample
// 0 is silent and marks where the phase restarts, then 32 lines of 120
// samples. Line i carries picture columns 93 - 3i .. 95 - 3i (line 0 the
// three rightmost), position k in the line picture row k, bottom to top.
// Brighter pixels give a higher tone; with line sync on, positions 0..3 of
// every line carry the sync pulse level instead of the picture.
#include <array>
#include <cstdint>

#include "core/ScreenPicture.h"
#include "core/SignalFormat.h"
#include "transmitter/TransmitterSettings.h"

namespace tx {

constexpr int SampleRate = nbtv::SignalRate;
using nbtv::FrameSamples;
using nbtv::LineSamples;
using nbtv::LinesPerFrame;
using nbtv::StandardSyncPulseLevel;
using nbtv::SyncPulseSamples;
using nbtv::ToneAmplitude;

// One output sample frame as 16-bit stereo PCM lays it out: the left
// channel carries the signal, the right one stays 0.
struct StereoFrame {
    std::int16_t left = 0;
    std::int16_t right = 0;
};

// One frame of output, handed to the sound device as it stands.
struct FrameBuffer {
    std::array<StereoFrame, FrameSamples> frames{};
};
static_assert(sizeof(FrameBuffer) == FrameSamples * 4, "FrameBuffer must be plain 16-bit stereo PCM");

// Level of line `line` (0..31) at position `position` (0..119): 226 for
// black down to 194.0009765625 for white, or the sync pulse level at
// positions 0..3 when line sync is on (lineSync == -1).
float toneLevel(const ScreenPicture& picture, const TransmitterSettings& settings, int line,
                int position);

// Phase advance per sample, in radians, for a level.
double phaseStep(float level);

// Writes samples 1..3840 of the frame's left channel from the picture;
// sample 0 and the right channel are left as they are. Returns the phase
// reached at the end of the frame.
float synthesizeFrame(const ScreenPicture& picture, const TransmitterSettings& settings,
                      FrameBuffer& buffer);

}  // namespace tx
