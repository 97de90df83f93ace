#pragma once
// Brightness and contrast worked out from the detector's response to the
// sender's black and white tones, so that black shows as level 0 and white
// as 255 with the demodulator, filter and sample rate in force.
#include "core/SignalFormat.h"
#include "viewer/ReceiverSettings.h"

namespace rx {

using nbtv::BlackToneHz;
using nbtv::WhiteToneHz;
// The sender's tone amplitude as an 8-bit capture records it (4096 of a
// 16-bit full scale), which sets the AM detector's output.
constexpr double ToneAmplitudeCounts = 16.0;

// The detector's steady output for a tone, polarity applied: for FM the
// sine of the advance per sample against the reference; for AM a quarter
// of the amplitude times the low-pass filter's gain at the tone's distance
// from the reference.
double toneResponse(double hz, const ReceiverSettings& settings);

struct Levels {
    int brightness;
    int contrast;
};

// Contrast spreads the two tones' outputs over 255 levels; brightness puts
// the lower of them at 0. Rounded to whole numbers and kept within the
// bars' ranges (brightness 0..512, contrast 0..1024). With the polarity
// inverted, black shows as 255 and white as 0.
Levels calibratedLevels(const ReceiverSettings& settings);

}  // namespace rx
