#include "codec/DecodeOptions.h"

#include <string>

#include "viewer/Demodulator.h"

namespace codec {

ParseResult parseDecodeOptions(int argc, char** argv, DecodeOptions& o) {
    CLI::App app("Demodulates a sound file (any format libsndfile reads) frame by frame as the\n"
                 "viewer does, into one picture kept across all frames. The file is resampled to\n"
                 "the decoding rate first; from a file of several channels the one with the most\n"
                 "signal in 1500-3000 Hz is taken. Give at least one of --png, --png-dir,\n"
                 "--dump-signal, --dump-store, --levels. FILE may be - for standard output.",
                 "nbtvcodec decode");
    long long frameSamples = o.frameSamples, lineSamples = 0, filter = o.filter, syncLevel = o.syncLevel,
              brightness = -1, contrast = -1, frames = 0, rate = o.rate, channel = 0;
    app.add_option("INPUT", o.input, "the sound file; - reads standard input as a stream")->type_name("");
    addInteger(app, "--frame-samples", 1, MaxFrameSamples, frameSamples, "samples per frame, 1..16800 (3841)");
    addInteger(app, "--line-samples", 1, 599, lineSamples, "samples per line, 1..599 (120; 119 with --sync)");
    addInteger(app, "--filter", 800, 1500, filter, "low-pass filter: 800, 1200 or 1500 Hz (1500)")->type_name("F");
    app.add_flag("--am", o.am, "AM demodulator (default FM); inverts as the viewer does")->disable_flag_override();
    app.add_flag("--invert", o.invert, "invert the picture")->disable_flag_override();
    app.add_flag("--sync", o.sync, "search for a line sync pulse before every line")->disable_flag_override();
    addInteger(app, "--sync-level", 0, 255, syncLevel, "sync threshold, 0..255 (128)");
    addInteger(app, "--brightness", 0, 512, brightness, "0..512 (277 for FM, 350 for AM)");
    addInteger(app, "--contrast", 0, 1024, contrast, "0..1024 (450 for FM, 7 for AM)");
    addInteger(app, "--frames", 1, 1000000000000LL, frames, "decode at most N frames (all whole frames)");
    addInteger(app, "--rate", MinDecodeRate, MaxDecodeRate, rate,
                                         "decoding rate: 12000, 10000, 9000, 8000 or any multiple of 200\n"
                                         "from 2000 to 48000 (10000); the file is resampled to it");
    app.add_flag("--no-resample", o.noResample, "decode the file's samples at the file's own rate")
        ->disable_flag_override();
    addInteger(app, "--channel", 1, 1024, channel, "the channel to decode, 1 for the first (default: the\n"
                                                   "one with the most signal in 1500-3000 Hz)");
    addPath(app, "--png", o.png, "the shown 96x120 picture after the last frame, 8-bit grey");
    addPath(app, "--png-dir", o.pngDir, "one such PNG per frame: DIR/frame-00001.png, ...", "DIR");
    addPath(app, "--dump-signal", o.dumpSignal, "per frame, all 60001 signal values, float32 little-endian");
    addPath(app, "--dump-store", o.dumpStore, "per frame, the whole 601 x 288 byte picture store");
    app.add_flag("--levels", o.levels, "per frame, the picture level as the viewer shows it")->disable_flag_override();

    const ParseResult result = parseCommandLine(app, "decode", argc, argv);
    if (result != ParseResult::Run) return result;
    if (filter != 800 && filter != 1200 && filter != 1500) {
        usageError("decode: --filter takes 800, 1200 or 1500, not '" + std::to_string(filter) + "'");
        return ParseResult::Error;
    }
    if (o.noResample && app.count("--rate") > 0) {
        usageError("decode: --rate and --no-resample exclude each other");
        return ParseResult::Error;
    }
    if (rate % DecodeRateStep != 0) {
        usageError("decode: --rate takes 12000, 10000, 9000, 8000 or a multiple of 200 from 2000 to 48000, not '" +
                   std::to_string(rate) + "'");
        return ParseResult::Error;
    }
    if (o.input.empty()) {
        usageError("decode: no input file");
        return ParseResult::Error;
    }
    if (o.pngDir == "-") {
        usageError("decode: --png-dir needs a folder; - (standard output) cannot hold files");
        return ParseResult::Error;
    }
    if (o.png.empty() && o.pngDir.empty() && o.dumpSignal.empty() && o.dumpStore.empty() && !o.levels) {
        usageError("decode: nothing to write; give --png, --png-dir, --dump-signal, --dump-store or --levels");
        return ParseResult::Error;
    }
    o.frameSamples = static_cast<int>(frameSamples);
    o.lineSamples = static_cast<int>(lineSamples);
    o.filter = static_cast<int>(filter);
    o.syncLevel = static_cast<int>(syncLevel);
    o.brightness = static_cast<int>(brightness);
    o.contrast = static_cast<int>(contrast);
    o.frames = frames;
    o.rate = static_cast<int>(rate);
    o.channel = static_cast<int>(channel);
    return ParseResult::Run;
}

ReceiverSettings decodeSettings(const DecodeOptions& o, int sampleRate) {
    ReceiverSettings s;
    s.sampleRate = sampleRate;
    s.frameSamples = o.frameSamples;
    s.lineSamples = o.lineSamples != 0 ? o.lineSamples : (o.sync ? 119 : 120);
    s.brightness = o.brightness >= 0 ? o.brightness : (o.am ? 350 : 277);
    s.contrast = o.contrast >= 0 ? o.contrast : (o.am ? 7 : 450);
    s.syncLevel = o.syncLevel;
    s.syncOn = o.sync ? 1 : -1;
    s.polarity = (o.am ? -1 : 1) * (o.invert ? -1 : 1);
    s.framePicture = 1;
    s.lowPassCutoff = o.filter;
    s.demodMode = o.am ? DemodAM : DemodFM;
    s.bufferTurn = 1;
    return s;
}

}  // namespace codec
