// nbtvcodec encode: a picture to the transmitter's signal in a sound file.
#include <cstring>
#include <memory>
#include <string>

#include "codec/Codec.h"
#include "codec/CommandLine.h"
#include "codec/EncodeInput.h"
#include "codec/EncodeOutput.h"
#include "codec/OutputCheck.h"
#include "transmitter/Synthesis.h"

using namespace tx;

namespace {

constexpr long long MaxFrames = 100000;  // about 10.7 hours of signal

struct EncodeOptions {
    std::string input;
    std::string output;
    long long frames = 1;
    bool lineSync = false;
    bool rawWords = false;
};

// Returns -1 when the options are good, else the exit code to end with.
int parseOptions(int argc, char** argv, EncodeOptions& options) {
    CLI::App app("Turns a picture into the transmitter's signal in a WAV file. A picture with\n"
                 "transparent parts is composed over white first, as a viewer shows it on a page.",
                 "nbtvcodec encode");
    app.add_option("INPUT", options.input,
                   "a picture file (scaled to 96 x 120), or with --raw-words 11520\n"
                   "little-endian 16-bit pixel words, bottom row first")
        ->type_name("");
    codec::addPath(app, "-o,--output", options.output,
                   "16-bit stereo WAV at " + std::to_string(nbtv::SignalRate) +
                       " samples per second, signal on the\n"
                       "left; - writes it to standard output",
                   "OUTPUT.wav")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    codec::addInteger(app, "--frames", 1, MaxFrames, options.frames,
                      "number of frames of " + std::to_string(nbtv::FrameSamples) +
                          " samples (default 1, at most " + std::to_string(MaxFrames) + ")")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.add_flag("--line-sync", options.lineSync, "start every line with a sync pulse")->disable_flag_override();
    app.add_flag("--raw-words", options.rawWords, "INPUT holds raw pixel words")->disable_flag_override();
    switch (codec::parseCommandLine(app, "encode", argc, argv)) {
        case codec::ParseResult::Help: return 0;
        case codec::ParseResult::Error: return 2;
        case codec::ParseResult::Run: break;
    }
    if (options.input.empty()) return codec::usageError("encode: no input file");
    if (options.output.empty()) return codec::usageError("encode: no output file: give -o OUTPUT.wav");
    std::string error;
    if (!codec::checkOutputs(options.input, {{"-o", options.output}}, "", error))
        return codec::usageError("encode: " + error);
    return -1;
}

}  // namespace

int runEncode(int argc, char** argv) {
    EncodeOptions options;
    const int status = parseOptions(argc, argv, options);
    if (status >= 0) return status;

    ScreenPicture picture;
    std::string error;
    if (!codec::loadEncodeInput(options.input, options.rawWords, picture, error))
        return codec::fail(error);

    TransmitterSettings settings;
    settings.lineSync = options.lineSync ? -1 : +1;
    settings.syncPulseLevel = StandardSyncPulseLevel;
    auto frame = std::make_unique<FrameBuffer>();
    synthesizeFrame(picture, settings, *frame);

    if (!codec::writeSignalFile(options.output, *frame, options.frames, error))
        return codec::fail(error);
    return 0;
}
