#pragma once
// The sound file that `nbtvcodec encode` writes.
#include <string>

#include "transmitter/Synthesis.h"

namespace codec {

// Writes `frames` copies of the frame as a 16-bit stereo PCM WAV file at
// the signal's rate. The file appears under its name only when
// complete; on failure nothing is left and errorText says why.
bool writeSignalFile(const std::string& path, const tx::FrameBuffer& frame, long long frames,
                     std::string& errorText);

}  // namespace codec
