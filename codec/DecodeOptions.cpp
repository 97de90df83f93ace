#include "codec/DecodeOptions.h"

#include <string>

#include "viewer/CalibratedLevels.h"
#include "viewer/Demodulator.h"
#include "viewer/ReceiverValues.h"

using namespace rx;

namespace codec {

ParseResult parseDecodeOptions(int argc, char** argv, DecodeOptions& o) {
    CLI::App app("Demodulates a sound file (any format libsndfile reads, or raw PCM with --raw)\n"
                 "frame by frame as the viewer does, into one picture kept across all frames; a\n"
                 "stream is decoded as it arrives, and Ctrl+C ends it with what was decoded\n"
                 "written. The file is resampled to the decoding rate first (below " +
                     std::to_string(MinInputRate) + " samples a\n"
                 "second a file cannot hold the signal and is refused); from a file of several\n"
                 "channels the one with the most signal in 1500-3000 Hz is taken. Give at least\n"
                 "one of --png, --png-dir, --dump-signal, --dump-store, --levels. FILE may be -\n"
                 "for standard output.",
                 "nbtvcodec decode");
    using std::to_string;
    long long frameSamples = o.frameSamples, lineSamples = 0, filter = o.filter, syncLevel = o.syncLevel,
              brightness = -1, contrast = -1, frames = 0, rate = o.rate, channel = 0;
    const std::string filters = to_string(LowPassCutoffs[0]) + ", " + to_string(LowPassCutoffs[1]) + " or " +
                                to_string(LowPassCutoffs[2]);
    const std::string levels = " (" + to_string(FmLevels.brightness) + " for FM, " + to_string(AmLevels.brightness) +
                               " for AM)";
    const std::string gains = " (" + to_string(FmLevels.contrast) + " for FM, " + to_string(AmLevels.contrast) +
                              " for AM)";
    const std::string range = [](BarRange r) { return to_string(r.min) + ".." + to_string(r.max); }(BrightnessRange);
    app.add_option("INPUT", o.input, "the sound file; - reads standard input as a stream")->type_name("");
    std::string raw;
    app.add_option("--raw", raw,
                   "INPUT is raw PCM: s16le, u8 or f32le at RATE samples a\n"
                   "second, CHANNELS interleaved (1), as a software radio\n"
                   "writes it: rtl_fm ... | nbtvcodec decode --raw s16le:10000 -")
        ->type_name("FORMAT:RATE[:CHANNELS]")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    addInteger(app, "--frame-samples", 1, MaxFrameSamples, frameSamples,
               "samples per frame, 1.." + to_string(MaxFrameSamples) + " (" + to_string(StartFrameSamples) + ")");
    addInteger(app, "--line-samples", 1, 599, lineSamples,
               "samples per line, 1..599 (" + to_string(NeutralLineSamples) + "; " + to_string(SyncLineSamples) +
                   " with --sync)");
    addInteger(app, "--filter", LowPassCutoffs[0], LowPassCutoffs[2], filter,
               "low-pass filter: " + filters + " Hz (" + to_string(StartLowPassCutoff) + ")")
        ->type_name("F");
    app.add_flag("--am", o.am, "AM demodulator (default FM); inverts as the viewer does")->disable_flag_override();
    app.add_flag("--invert", o.invert, "invert the picture")->disable_flag_override();
    app.add_flag("--sync", o.sync, "search for a line sync pulse before every line")->disable_flag_override();
    addInteger(app, "--sync-level", SyncLevelRange.min, SyncLevelRange.max, syncLevel,
               "sync threshold, " + to_string(SyncLevelRange.min) + ".." + to_string(SyncLevelRange.max) + " (" +
                   to_string(StartSyncLevel) + ")");
    addInteger(app, "--brightness", BrightnessRange.min, BrightnessRange.max, brightness, range + levels);
    addInteger(app, "--contrast", ContrastRange.min, ContrastRange.max, contrast,
               to_string(ContrastRange.min) + ".." + to_string(ContrastRange.max) + gains);
    addInteger(app, "--frames", 1, 1000000000000LL, frames, "decode at most N frames (all whole frames)");
    addInteger(app, "--rate", MinDecodeRate, MaxDecodeRate, rate,
               "decoding rate: " + to_string(Preset312.sampleRate) + ", " + to_string(Preset260.sampleRate) + ", " +
                   to_string(Preset234.sampleRate) + ", " + to_string(Preset208.sampleRate) +
                   " or any multiple of " + to_string(SampleRateStep) + "\nfrom " + to_string(MinDecodeRate) +
                   " to " + to_string(MaxDecodeRate) + " (" + to_string(StartSampleRate) +
                   "); the file is resampled to it");
    app.add_flag("--no-resample", o.noResample, "decode the file's samples at the file's own rate")
        ->disable_flag_override();
    addInteger(app, "--channel", 1, 1024, channel, "the channel to decode, 1 for the first (default: the\n"
                                                   "one with the most signal in 1500-3000 Hz)");
    addPath(app, "--png", o.png, "the shown 96x120 picture after the last frame, 8-bit grey");
    addPath(app, "--png-dir", o.pngDir,
            "one such PNG per frame, DIR/frame-00001.png, ..., each\n"
            "written as soon as its frame is decoded; a DIR that holds\n"
            "frame files already is refused", "DIR");
    app.add_flag("--overwrite", o.overwrite, "--png-dir removes the frame files already there first")
        ->disable_flag_override();
    addPath(app, "--dump-signal", o.dumpSignal, "per frame, all 60001 signal values, float32 little-endian");
    addPath(app, "--dump-store", o.dumpStore, "per frame, the whole 601 x 288 byte picture store");
    app.add_flag("--levels", o.levels, "per frame, the picture level as the viewer shows it")->disable_flag_override();
    app.add_flag("--auto", o.autoFraming,
                 "frames where the signal's frame breaks are (the viewer's\n"
                 "\"Automatic framing\"), levels from the detector's response\n"
                 "unless --brightness or --contrast is given")
        ->disable_flag_override();
    long long average = 0;
    addInteger(app, "--average", 1, 64, average,
               "with --auto, show the average of the last N framed\n"
               "pictures while the frames are held, 1..64 (4: the\n"
               "viewer's \"Noise reduction\")");

    const ParseResult result = parseCommandLine(app, "decode", argc, argv);
    if (result != ParseResult::Run) return result;
    if (filter != LowPassCutoffs[0] && filter != LowPassCutoffs[1] && filter != LowPassCutoffs[2]) {
        usageError("decode: --filter takes " + filters + ", not '" + std::to_string(filter) + "'");
        return ParseResult::Error;
    }
    if (average != 0 && !o.autoFraming) {
        usageError("decode: --average needs --auto");
        return ParseResult::Error;
    }
    if (o.noResample && app.count("--rate") > 0) {
        usageError("decode: --rate and --no-resample exclude each other");
        return ParseResult::Error;
    }
    if (rate % SampleRateStep != 0) {
        usageError("decode: --rate takes a multiple of " + to_string(SampleRateStep) + " from " +
                   to_string(MinDecodeRate) + " to " + to_string(MaxDecodeRate) + ", not '" + to_string(rate) + "'");
        return ParseResult::Error;
    }
    if (o.input.empty()) {
        usageError("decode: no input file");
        return ParseResult::Error;
    }
    std::string error;
    if (!raw.empty() && !parseRawFormat(raw, o.raw, error)) {
        usageError("decode: " + error);
        return ParseResult::Error;
    }
    if (o.overwrite && o.pngDir.empty()) {
        usageError("decode: --overwrite needs --png-dir");
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
    o.average = static_cast<int>(average);
    return ParseResult::Run;
}

ReceiverSettings decodeSettings(const DecodeOptions& o, int sampleRate) {
    ReceiverSettings s;
    s.sampleRate = sampleRate;
    s.frameSamples = o.frameSamples;
    const DemodulatorLevels& levels = levelsOf(o.am ? DemodAM : DemodFM);
    s.lineSamples = o.lineSamples != 0 ? o.lineSamples : (o.sync ? SyncLineSamples : NeutralLineSamples);
    s.brightness = o.brightness >= 0 ? o.brightness : levels.brightness;
    s.contrast = o.contrast >= 0 ? o.contrast : levels.contrast;
    s.syncLevel = o.syncLevel;
    s.syncOn = o.sync ? 1 : -1;
    s.polarity = levels.polarity * (o.invert ? -1 : 1);
    s.framePicture = 1;
    s.lowPassCutoff = o.filter;
    s.demodMode = o.am ? DemodAM : DemodFM;
    s.bufferTurn = 1;
    if (o.autoFraming) {
        const rx::Levels calibrated = rx::calibratedLevels(s);
        if (o.brightness < 0) s.brightness = calibrated.brightness;
        if (o.contrast < 0) s.contrast = calibrated.contrast;
    }
    return s;
}

}  // namespace codec
