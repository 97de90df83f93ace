// Fuzz target: `nbtvcodec decode` on any file. The input's first three
// bytes choose the options, the rest is the sound file (read by name or as
// a stream on standard input, with a header or as raw sound); at most two
// frames are decoded, so every input stays quick.
#include <cstddef>
#include <cstdint>

#include "codec/Codec.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const char* const FrameLengths[] = {"3841", "1", "2", "5", "120", "2400", "4001", "16800"};
const char* const LineLengths[] = {nullptr, "1", "2", "99", "121", "181", "400", "599"};
const char* const Filters[] = {"800", "1200", "1500", "1500"};
const char* const SyncLevels[] = {"0", "128", "200", "255"};
// Decoding rates; "" keeps the default, "-" decodes at the file's rate.
const char* const Rates[] = {"", "8000", "12000", "2000", "48000", "-", "11000", ""};
const char* const Channels[] = {nullptr, "1", "2", "3"};
// Raw sound instead of a sound file.
const char* const RawFormats[] = {"s16le:10000", "u8:8000", "f32le:48000:2", "s16le:6000:3"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const unsigned flags = data[0], lengths = data[1], extra = data[2];
    const std::string& folder = fuzz::scratchFolder();
    const std::string input = fuzz::writeInput(data + 3, size - 3);
    const bool fromStream = (extra & 64) != 0;
    std::vector<std::string> arguments{fromStream ? "-" : input, "--frames", "2", "--png", folder + "/picture.png"};
    if (flags & 1) arguments.push_back("--am");
    if (flags & 2) arguments.push_back("--sync");
    if (flags & 4) arguments.push_back("--invert");
    if (flags & 8) arguments.push_back("--levels");
    arguments.insert(arguments.end(), {"--filter", Filters[(flags >> 4) & 3]});
    if (flags & 64) arguments.insert(arguments.end(), {"--dump-store", folder + "/store"});
    if (flags & 128) arguments.insert(arguments.end(), {"--brightness", "0", "--contrast", "1024"});
    arguments.insert(arguments.end(), {"--frame-samples", FrameLengths[lengths & 7]});
    if (const char* line = LineLengths[(lengths >> 3) & 7])
        arguments.insert(arguments.end(), {"--line-samples", line});
    arguments.insert(arguments.end(), {"--sync-level", SyncLevels[(lengths >> 6) & 3]});
    const std::string rate = Rates[extra & 7];
    if (rate == "-") arguments.push_back("--no-resample");
    else if (!rate.empty()) arguments.insert(arguments.end(), {"--rate", rate});
    if (const char* channel = Channels[(extra >> 3) & 3]) arguments.insert(arguments.end(), {"--channel", channel});
    if (extra & 32) arguments.insert(arguments.end(), {"--dump-signal", "-"});
    // Raw sound, every frame's picture into a folder cleared first.
    if (extra & 128)
        arguments.insert(arguments.end(), {"--raw", RawFormats[(flags >> 4) & 3], "--png-dir", folder + "/frames",
                                           "--overwrite"});
    if (fromStream) fuzz::runCommandOnStandardInput(runDecode, arguments, input);
    else fuzz::runCommand(runDecode, arguments);
    return 0;
}
