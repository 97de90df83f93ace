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

// Contrast spreads the two tones' outputs (as detected, polarity +1) over
// 255 levels, kept within its bar's range (0..1024); brightness puts the
// lower of them at 0. With the polarity inverted the levels are the mirror
// image, 255 less each: a true negative (black 255, white 0 in FM). Rounded
// to whole numbers; the brightness may lie past its bar's ends.
Levels calibratedLevels(const ReceiverSettings& settings);

}  // namespace rx
