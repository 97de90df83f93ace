// nbtvcodec decode: a sound file through the receiver's signal path, frame
// by frame, as the viewer would capture it.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "codec/Codec.h"
#include "codec/ChannelChoice.h"
#include "codec/CommandLine.h"
#include "codec/DecodeOptions.h"
#include "codec/FrameFolder.h"
#include "codec/Interruption.h"
#include "codec/OutputCheck.h"
#include "codec/OutputFile.h"
#include "codec/SoundInput.h"
#include "core/NumberText.h"
#include "viewer/Demodulator.h"
#include "viewer/FramedPictures.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureStore.h"
#include "viewer/ShownPicture.h"

using namespace rx;

namespace {

using codec::OutputFile;

bool writeSignal(OutputFile& file, const std::vector<float>& signal) {
    if constexpr (std::endian::native == std::endian::little) {
        return file.write(signal.data(), VideoSignalLength * sizeof(float));
    } else {
        static std::vector<std::uint32_t> swapped(VideoSignalLength);
        for (std::size_t i = 0; i < VideoSignalLength; ++i)
        {
            const auto bits = std::bit_cast<std::uint32_t>(signal[i]);
            swapped[i] = (bits >> 24) | ((bits >> 8) & 0xff00u) | ((bits << 8) & 0xff0000u) | (bits << 24);
        }
        return file.write(swapped.data(), VideoSignalLength * sizeof(std::uint32_t));
    }
}

// Makes the output object when the option asks for it; streams (dumps) are
// opened at once.
bool openOutput(const std::string& path, std::unique_ptr<OutputFile>& file, bool stream,
                std::string& error) {
    if (path.empty()) return true;
    file = std::make_unique<OutputFile>(path);
    if (stream && !file->open()) {
        error = file->errorText();
        return false;
    }
    return true;
}

// Outputs that would overwrite the input or each other; a frame file of
// --png-dir counts as well.
bool checkDecodeOutputs(const codec::DecodeOptions& o, std::string& error) {
    std::vector<codec::NamedOutput> outputs;
    for (const auto& [option, name] : {std::pair{"--png", &o.png}, {"--dump-signal", &o.dumpSignal},
                                       {"--dump-store", &o.dumpStore}})
        if (!name->empty()) outputs.push_back({option, *name});
    if (!o.pngDir.empty()) {
        namespace fs = std::filesystem;
        std::error_code code;
        const fs::path dir = fs::weakly_canonical(fs::absolute(o.pngDir), code);
        for (const auto& output : outputs) {
            const fs::path file = fs::weakly_canonical(fs::absolute(output.name), code);
            if (output.name != "-" && file.parent_path() == dir && codec::isFrameFileName(file.filename().string())) {
                error = output.option + " " + output.name + " is among the frame files of --png-dir";
                return false;
            }
        }
    }
    return codec::checkOutputs(o.input, outputs, o.levels ? "--levels" : "", error);
}

// Which channel to decode: the one asked for, or the one with the most
// signal in the picture's band over the first seconds, said on stderr.
bool chooseChannel(const codec::DecodeOptions& o, codec::SoundInput& input, std::string& error) {
    const std::string name = o.input == "-" ? "standard input" : o.input;
    if (o.channel > input.channels()) {
        error = "--channel " + std::to_string(o.channel) + ": " + name + " has " +
                std::to_string(input.channels()) + " channel" + (input.channels() == 1 ? "" : "s");
        return false;
    }
    if (o.channel > 0 || input.channels() == 1) {
        input.useChannel(std::max(o.channel, 1) - 1);
        return true;
    }
    const std::vector<double> energies = input.channelEnergies(3.0, error);
    if (energies.empty()) return false;
    const int chosen = codec::strongestChannel(energies);
    input.useChannel(chosen);
    std::fprintf(stderr, "nbtvcodec: decoding channel %d of %d (the most signal in 1500-3000 Hz)\n", chosen + 1,
                 input.channels());
    return true;
}

// The line that ends a run which failed after frames were written to
// --png-dir: they are complete and kept.
std::string keptFrames(const codec::DecodeOptions& o, long long written) {
    if (written == 0) return "";
    return "; frame" + std::string(written == 1 ? " 1 is" : "s 1 to " + std::to_string(written) + " are") +
           " complete in " + o.pngDir;
}

int decode(const codec::DecodeOptions& o) {
    std::string error;
    if (!checkDecodeOutputs(o, error)) return codec::usageError("decode: " + error);
    if (!o.pngDir.empty() && !codec::checkFrameFolder(o.pngDir, o.overwrite, error)) return codec::fail(error);
    codec::SoundInput input;
    if (!input.open(o.input, o.raw, error)) return codec::fail(error);
    const std::string inputName = o.input == "-" ? "standard input" : o.input;
    if (input.length() == 0) return codec::fail(inputName + " holds no samples");
    if (!chooseChannel(o, input, error)) return codec::fail(error);
    const int rate = o.noResample ? input.sampleRate() : o.rate;
    if (rate != input.sampleRate()) {
        if (!input.resampleTo(rate, error)) return codec::fail(error);
        std::fprintf(stderr, "nbtvcodec: resampling %d -> %d Hz\n", input.sampleRate(), rate);
    }

    std::unique_ptr<OutputFile> png, signalDump, storeDump;
    if (!openOutput(o.png, png, false, error) || !openOutput(o.dumpSignal, signalDump, true, error) ||
        !openOutput(o.dumpStore, storeDump, true, error))
        return codec::fail(error);

    const ReceiverSettings settings = decodeSettings(o, rate);
    const int n = settings.frameSamples;
    // As a capture buffer that was never filled beyond N: zeros from N on.
    std::vector<std::uint8_t> capture(CaptureBufferBytes + CaptureBufferSlack, 0);
    FrameArrays arrays = makeFrameArrays(n);
    PictureStore store;
    std::vector<std::uint8_t> grey(std::size_t{PictureWidth} * ShownRows);

    long long frames = 0, leftover = 0, framesInFolder = 0;
    // --auto: frames cut where the framing tracker finds them, as the
    // viewer does with "Automatic framing", from the file read in pieces of
    // one frame as its capture buffers would deliver them.
    rx::FramedPictures framed(rate, std::max(o.average, 1));
    std::vector<std::uint8_t> piece(o.autoFraming ? capture.size() : 0);
    const PictureStore* shown = &store;

    // Everything asked for about the frame just scanned. Its picture goes
    // into --png-dir at once, whole, so the folder shows the stream as it
    // is decoded; the folder is made ready (earlier frames removed with
    // --overwrite) only now that there is a first frame to put there.
    auto frameDone = [&]() {
        if (signalDump && !writeSignal(*signalDump, arrays.videoSignal)) {
            error = signalDump->errorText();
            return false;
        }
        if (storeDump && !storeDump->write(shown->bytes.data(), shown->bytes.size())) {
            error = storeDump->errorText();
            return false;
        }
        if (!o.pngDir.empty()) {
            if (frames == 1 && !codec::prepareFrameFolder(o.pngDir, o.overwrite, error)) return false;
            shownGreyPicture(*shown, grey.data());
            if (!codec::writeFrameFile(o.pngDir, frames, grey.data(), error)) return false;
            framesInFolder = frames;
        }
        if (o.levels) {
            std::fputs(core::numberText(pictureLevel(arrays.videoSignal.data())).c_str(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);  // a live stream's levels as they come
        }
        return true;
    };
    auto frameFailed = [&]() {
        return codec::fail("frame " + std::to_string(frames) + ": " + error + keptFrames(o, framesInFolder));
    };

    const codec::InterruptionCatch interruptions;
    while ((o.frames == 0 || frames < o.frames) && codec::interruption() == 0) {
        const long long got = input.read(o.autoFraming ? piece.data() : capture.data(), n, error);
        if (got < 0) return codec::fail(error + keptFrames(o, framesInFolder));
        if (got < n) {
            leftover = got;
            break;
        }
        if (!o.autoFraming) {
            demodulate(capture.data(), settings, arrays);
            scanFrame(arrays.videoSignal.data(), settings, store);
            ++frames;
            if (!frameDone()) return frameFailed();
            continue;
        }
        framed.feed(piece.data(), static_cast<std::size_t>(n));
        while ((o.frames == 0 || frames < o.frames) && framed.next(settings, store, arrays)) {
            shown = framed.shown();
            ++frames;
            if (!frameDone()) return frameFailed();
        }
    }
    const int signal = codec::interruption();
    if (frames == 0 && signal != 0) {
        codec::fail("interrupted before the first frame");
        return 128 + signal;
    }
    if (frames == 0 && o.autoFraming)
        return codec::fail(inputName + " is too short for automatic framing to cut a frame of " + std::to_string(n));
    if (frames == 0)
        return codec::fail(inputName + " holds " + std::to_string(leftover) +
                           " samples, fewer than one frame of " + std::to_string(n));
    if (png) shownGreyPicture(*shown, grey.data());
    if (png && !codec::writeGreyPicture(*png, o.png, grey.data(), error))
        return codec::fail(error + keptFrames(o, framesInFolder));
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return codec::fail("cannot write standard output" + keptFrames(o, framesInFolder));
    for (OutputFile* file : {png.get(), signalDump.get(), storeDump.get()})
        if (file != nullptr && !file->commit()) return codec::fail(file->errorText() + keptFrames(o, framesInFolder));
    if (signal != 0) {
        std::fprintf(stderr, "nbtvcodec: interrupted; the %lld frame%s decoded so far %s written\n", frames,
                     frames == 1 ? "" : "s", frames == 1 ? "is" : "are");
        return 128 + signal;
    }
    if (leftover > 0)
        std::fprintf(stderr, "nbtvcodec: the last %lld samples of %s make no whole frame; not decoded\n",
                     leftover, inputName.c_str());
    return 0;
}

}  // namespace

int runDecode(int argc, char** argv) {
    codec::DecodeOptions options;
    switch (codec::parseDecodeOptions(argc, argv, options)) {
        case codec::ParseResult::Help: return 0;
        case codec::ParseResult::Error: return 2;
        case codec::ParseResult::Run: break;
    }
    return decode(options);
}
