#pragma once
// The options of `nbtvcodec decode INPUT [options]`.
#include <string>

#include "viewer/ReceiverValues.h"

namespace codec {

struct DecodeOptions {
    std::string input;
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
    std::string png;
    std::string pngDir;
    std::string dumpSignal;
    std::string dumpStore;
    bool levels = false;
    bool autoFraming = false;  // --auto: framing found in the signal, calibrated levels
    int average = 0;           // --average K: the last K framed pictures (with --auto)
};

enum class ParseResult { Run, Help, Error };

// Reads the arguments after "decode". On Error a one-line message has been
// printed on stderr.
ParseResult parseDecodeOptions(int argc, char** argv, DecodeOptions& options);

// The decode options' help text.
const char* decodeHelp();

// The receiver settings the options stand for, at the file's sample rate.
rx::ReceiverSettings decodeSettings(const DecodeOptions& options, int sampleRate);

}  // namespace codec
