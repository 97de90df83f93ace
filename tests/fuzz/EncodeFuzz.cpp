// Fuzz target: `nbtvcodec encode` on any file. The input's first byte
// chooses the options (raw pixel words or a picture file, line sync), the
// rest is the input file; one frame is written (to a file, or to standard
// output).
#include <cstddef>
#include <cstdint>

#include "codec/Codec.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned flags = data[0];
    std::vector<std::string> arguments{fuzz::writeInput(data + 1, size - 1), "-o",
                                       flags & 4 ? "-" : fuzz::scratchFolder() + "/signal.wav"};
    if (flags & 1) arguments.push_back("--raw-words");
    if (flags & 2) arguments.push_back("--line-sync");
    fuzz::runCommand(runEncode, arguments);
    return 0;
}
