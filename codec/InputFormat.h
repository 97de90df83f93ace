#pragma once
// What a sound input must be for decoding: sample rates that can hold the
// signal, and raw PCM (no header) described on the command line.
#include <string>

#include "core/SignalFormat.h"

namespace codec {

// Below this rate half the rate, the highest frequency the samples can
// hold, lies under the line sync tone; above the highest no sound card or
// sound file goes.
constexpr long long MinInputRate = 6000, MaxInputRate = 1000000;
static_assert(MinInputRate / 2 > nbtv::SyncToneHz);

// Why a sound input at this rate cannot be decoded ("its rate, 1 Hz, is
// below ..."), or "" when it can.
std::string inputRateProblem(long long rate);

// Raw PCM as `--raw FORMAT:RATE[:CHANNELS]` describes it.
struct RawFormat {
    int format = 0;  // libsndfile's format code; 0: the input has a header
    int rate = 0;
    int channels = 1;
};

// Parses FORMAT:RATE[:CHANNELS], FORMAT s16le, u8 or f32le (little-endian
// 16-bit signed, unsigned 8-bit with 128 as zero, 32-bit float), CHANNELS
// 1 by default and interleaved. False with a one-line errorText.
bool parseRawFormat(const std::string& text, RawFormat& raw, std::string& errorText);

}  // namespace codec
