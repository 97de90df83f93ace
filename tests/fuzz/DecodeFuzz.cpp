// Fuzz target: `nbtvcodec decode` on any file. The input's first two bytes
// choose the options, the rest is the sound file; at most two frames are
// decoded, so every input stays quick.
#include <cstddef>
#include <cstdint>

#include "codec/Codec.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const char* const FrameLengths[] = {"3841", "1", "2", "5", "120", "2400", "4001", "16800"};
const char* const LineLengths[] = {nullptr, "1", "2", "99", "121", "181", "400", "599"};
const char* const Filters[] = {"800", "1200", "1500", "1500"};
const char* const SyncLevels[] = {"0", "128", "200", "255"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned flags = data[0], lengths = data[1];
    const std::string& folder = fuzz::scratchFolder();
    std::vector<std::string> arguments{fuzz::writeInput(data + 2, size - 2), "--frames", "2",
                                       "--png", folder + "/picture.png"};
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
    fuzz::runCommand(runDecode, arguments);
    return 0;
}
