#pragma once
// The options of `nbtvcodec decode INPUT [options]`.
#include <string>

#include "codec/CommandLine.h"
#include "codec/InputFormat.h"
#include "viewer/ReceiverValues.h"

namespace codec {

struct DecodeOptions {
    std::string input;  // "-": standard input
    RawFormat raw;      // --raw: headerless PCM of this format
    int frameSamples = rx::StartFrameSamples;
    int lineSamples = 0;  // 0: 120, or 119 with --sync, as the sync box sets
    int filter = rx::StartLowPassCutoff;
    bool am = false;
    bool invert = false;
    bool sync = false;
    int syncLevel = rx::StartSyncLevel;
    int brightness = -1;  // -1: 277 for FM, 350 for AM
    int contrast = -1;    // -1: 450 for FM, 7 for AM
    long long frames = 0;  // 0: every whole frame
    int rate = rx::StartSampleRate;  // decoding rate the file is resampled to
    bool noResample = false;  // decode at the file's own rate
    int channel = 0;       // 1-based; 0: the strongest in the signal band
    std::string png;       // "-" in any of these: standard output
    std::string pngDir;
    bool overwrite = false;  // --png-dir may replace an earlier run's frames
    std::string dumpSignal;
    std::string dumpStore;
    bool levels = false;
    bool autoFraming = false;  // --auto: framing found in the signal, calibrated levels
    int average = 0;           // --average K: the last K framed pictures (with --auto)
};

// The decoding rates: the viewer's presets and every rate its steps reach
// in this range.
constexpr int MinDecodeRate = 2000, MaxDecodeRate = 48000;
static_assert(MinDecodeRate % rx::SampleRateStep == 0 && rx::Preset312.sampleRate % rx::SampleRateStep == 0 &&
              rx::Preset234.sampleRate % rx::SampleRateStep == 0 && rx::Preset208.sampleRate % rx::SampleRateStep == 0);

// Reads the arguments after "decode". On Help the help text has been
// printed, on Error a one-line message.
ParseResult parseDecodeOptions(int argc, char** argv, DecodeOptions& options);

// The receiver settings the options stand for, at the given sample rate.
rx::ReceiverSettings decodeSettings(const DecodeOptions& options, int sampleRate);

}  // namespace codec
