#include "codec/DecodeOptions.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "codec/CommandLine.h"
#include "viewer/CalibratedLevels.h"
#include "viewer/Demodulator.h"
#include "viewer/ReceiverValues.h"

using namespace rx;

namespace codec {

namespace {

struct IntegerOption {
    const char* name;
    long long minValue, maxValue;
};

// Parses the value of an integer option into `value`; false after printing
// the reason.
bool integerValue(const IntegerOption& option, const char* text, long long& value) {
    if (parseInteger(text, option.minValue, option.maxValue, value)) return true;
    usageError(std::string("decode: ") + option.name + " takes a whole number from " +
               std::to_string(option.minValue) + " to " + std::to_string(option.maxValue) +
               ", not '" + text + "'");
    return false;
}

}  // namespace

const char* decodeHelp() {
    return "usage: nbtvcodec decode INPUT [options]\n"
           "Demodulates a sound file (any format libsndfile reads; first channel) frame by\n"
           "frame as the viewer does, into one picture kept across all frames.\n"
           "  --frame-samples N   samples per frame, 1..16800 (3841)\n"
           "  --line-samples L    samples per line, 1..599 (120; 119 with --sync)\n"
           "  --filter F          low-pass filter: 800, 1200 or 1500 Hz (1500)\n"
           "  --am                AM demodulator (default FM); inverts as the viewer does\n"
           "  --invert            invert the picture\n"
           "  --sync              search for a line sync pulse before every line\n"
           "  --sync-level S      sync threshold, 0..255 (128)\n"
           "  --brightness B      0..512 (277 for FM, 350 for AM)\n"
           "  --contrast C        0..1024 (450 for FM, 7 for AM)\n"
           "  --frames K          decode at most K frames (all whole frames)\n"
           "  --png FILE          the shown 96x120 picture after the last frame, 8-bit grey\n"
           "  --png-dir DIR       one such PNG per frame: DIR/frame-00001.png, ...\n"
           "  --dump-signal FILE  per frame, all 60001 signal values, float32 little-endian\n"
           "  --dump-store FILE   per frame, the whole 601 x 288 byte picture store\n"
           "  --levels            per frame, the picture level as the viewer shows it\n"
           "  --auto              frames where the signal's frame breaks are (the viewer's\n"
           "                      \"Automatic framing\"), levels from the detector's response\n"
           "                      unless --brightness or --contrast is given\n"
           "  --average K         with --auto, show the average of the last K framed\n"
           "                      pictures while the frames are held, 1..64 (4: the\n"
           "                      viewer's \"Noise reduction\")\n";
}

ParseResult parseDecodeOptions(int argc, char** argv, DecodeOptions& o) {
    static const IntegerOption frameSamples{"--frame-samples", 1, MaxFrameSamples};
    static const IntegerOption lineSamples{"--line-samples", 1, 599};
    static const IntegerOption syncLevel{"--sync-level", 0, 255};
    static const IntegerOption brightness{"--brightness", 0, 512};
    static const IntegerOption contrast{"--contrast", 0, 1024};
    static const IntegerOption frames{"--frames", 1, 1000000000000LL};
    static const IntegerOption filter{"--filter", 800, 1500};
    static const IntegerOption average{"--average", 1, 64};

    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        const char* inlineValue = nullptr;  // from --name=value
        std::string name = arg;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                name = arg.substr(0, equals);
                inlineValue = argv[i] + equals + 1;
            }
        }
        // The option's value: inline, or the next argument.
        auto value = [&](const char*& text) {
            if (inlineValue != nullptr) {
                text = inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                usageError("decode: " + name + " needs a value");
                return false;
            }
            text = argv[++i];
            return true;
        };
        auto flag = [&](bool& field) {
            if (inlineValue != nullptr) {
                usageError("decode: " + name + " takes no value");
                return false;
            }
            field = true;
            return true;
        };
        auto integer = [&](const IntegerOption& option, long long& number) {
            const char* text = nullptr;
            return value(text) && integerValue(option, text, number);
        };
        auto path = [&](std::string& field) {
            const char* text = nullptr;
            if (!value(text)) return false;
            if (*text == '\0') {
                usageError("decode: " + name + " needs a file name");
                return false;
            }
            field = text;
            return true;
        };

        long long number = 0;
        bool ok = true;
        if (name == "--help" || name == "-h") {
            return ParseResult::Help;
        } else if (name == "--frame-samples") {
            ok = integer(frameSamples, number);
            o.frameSamples = static_cast<int>(number);
        } else if (name == "--line-samples") {
            ok = integer(lineSamples, number);
            o.lineSamples = static_cast<int>(number);
        } else if (name == "--filter") {
            ok = integer(filter, number);
            if (ok && number != 800 && number != 1200 && number != 1500) {
                usageError("decode: --filter takes 800, 1200 or 1500, not '" + std::to_string(number) + "'");
                ok = false;
            }
            o.filter = static_cast<int>(number);
        } else if (name == "--sync-level") {
            ok = integer(syncLevel, number);
            o.syncLevel = static_cast<int>(number);
        } else if (name == "--brightness") {
            ok = integer(brightness, number);
            o.brightness = static_cast<int>(number);
        } else if (name == "--contrast") {
            ok = integer(contrast, number);
            o.contrast = static_cast<int>(number);
        } else if (name == "--frames") {
            ok = integer(frames, number);
            o.frames = number;
        } else if (name == "--am") {
            ok = flag(o.am);
        } else if (name == "--invert") {
            ok = flag(o.invert);
        } else if (name == "--sync") {
            ok = flag(o.sync);
        } else if (name == "--levels") {
            ok = flag(o.levels);
        } else if (name == "--auto") {
            ok = flag(o.autoFraming);
        } else if (name == "--average") {
            ok = integer(average, number);
            o.average = static_cast<int>(number);
        } else if (name == "--png") {
            ok = path(o.png);
        } else if (name == "--png-dir") {
            ok = path(o.pngDir);
        } else if (name == "--dump-signal") {
            ok = path(o.dumpSignal);
        } else if (name == "--dump-store") {
            ok = path(o.dumpStore);
        } else if (arg.size() > 1 && arg[0] == '-') {
            usageError("decode: unknown option '" + arg + "'");
            return ParseResult::Error;
        } else if (o.input.empty() && !arg.empty()) {
            o.input = arg;
        } else {
            usageError(arg.empty() ? std::string("decode: empty input file name")
                                   : "decode: more than one input file ('" + o.input + "', '" + arg + "')");
            return ParseResult::Error;
        }
        if (!ok) return ParseResult::Error;
    }
    if (o.input.empty()) {
        usageError("decode: no input file");
        return ParseResult::Error;
    }
    if (o.average != 0 && !o.autoFraming) {
        usageError("decode: --average needs --auto");
        return ParseResult::Error;
    }
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
