// nbtvcodec encode: a picture to the transmitter's signal in a sound file.
#include <cstring>
#include <memory>
#include <string>

#include "codec/Codec.h"
#include "codec/CommandLine.h"
#include "codec/EncodeInput.h"
#include "codec/EncodeOutput.h"
#include "transmitter/Synthesis.h"

using namespace tx;

namespace {

constexpr long long MaxFrames = 100000;  // about 10.7 hours of signal

const char EncodeUsage[] =
    "usage: nbtvcodec encode INPUT -o OUTPUT.wav [--frames K] [--line-sync] [--raw-words]\n"
    "  INPUT          a picture file (scaled to 96 x 120), or with --raw-words\n"
    "                 11520 little-endian 16-bit pixel words, bottom row first\n"
    "  -o OUTPUT.wav  16-bit stereo WAV at 10000 samples per second, signal on the left\n"
    "  --frames K     number of frames of 3841 samples (default 1, at most 100000)\n"
    "  --line-sync    start every line with a sync pulse\n";

struct EncodeOptions {
    std::string input;
    std::string output;
    long long frames = 1;
    bool lineSync = false;
    bool rawWords = false;
};

// Returns -1 when the options are good, else the exit code to end with.
int parseOptions(int argc, char** argv, EncodeOptions& options) {
    bool haveInput = false, haveOutput = false, haveFrames = false;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "-h" || argument == "--help") {
            std::fputs(EncodeUsage, stdout);
            return 0;
        } else if (argument == "-o" || argument == "--output") {
            if (!hasValue) return codec::usageError(argument + " needs a file name");
            if (haveOutput) return codec::usageError("more than one output file");
            options.output = argv[++i];
            haveOutput = true;
            if (options.output.empty()) return codec::usageError("the output file name is empty");
        } else if (argument == "--frames") {
            if (!hasValue) return codec::usageError("--frames needs a number");
            if (haveFrames) return codec::usageError("--frames given twice");
            if (!codec::parseInteger(argv[++i], 1, MaxFrames, options.frames))
                return codec::usageError("--frames needs a whole number from 1 to " +
                                         std::to_string(MaxFrames) + ", not '" + argv[i] + "'");
            haveFrames = true;
        } else if (argument == "--line-sync") {
            options.lineSync = true;
        } else if (argument == "--raw-words") {
            options.rawWords = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return codec::usageError("unknown option '" + argument + "'");
        } else {
            if (haveInput) return codec::usageError("more than one input file ('" + argument + "')");
            options.input = argument;
            haveInput = true;
        }
    }
    if (!haveInput || options.input.empty()) return codec::usageError("no input file");
    if (!haveOutput) return codec::usageError("no output file: give -o OUTPUT.wav");
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
