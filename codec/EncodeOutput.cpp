#include "codec/EncodeOutput.h"

#include <sndfile.h>

#include <cstdio>
#include <vector>

#include "codec/OutputFile.h"

using namespace tx;

namespace codec {

bool writeSignalFile(const std::string& path, const FrameBuffer& frame, long long frames,
                     std::string& errorText) {
    OutputFile output(path);
    if (!output.open()) {
        errorText = output.errorText();
        return false;
    }
    SF_INFO format{};
    format.samplerate = SampleRate;
    format.channels = 2;
    format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    // The sound library writes through the temporary file's descriptor and
    // leaves closing it to the output file.
    SNDFILE* file = sf_open_fd(fileno(output.stream()), SFM_WRITE, &format, SF_FALSE);
    if (file == nullptr) {
        errorText = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    // Interleaved left and right, as the sound card takes them.
    std::vector<short> samples;
    samples.reserve(2 * FrameSamples);
    for (const StereoFrame& sample : frame.frames) {
        samples.push_back(sample.left);
        samples.push_back(sample.right);
    }
    bool written = true;
    for (long long f = 0; f < frames && written; ++f)
        written = sf_writef_short(file, samples.data(), FrameSamples) == FrameSamples;
    if (!written) errorText = "cannot write " + path + ": " + sf_strerror(file);
    if (sf_close(file) != 0 && written) {
        errorText = "cannot write " + path + ": the file could not be completed";
        written = false;
    }
    if (!written) return false;
    if (!output.commit()) {
        errorText = output.errorText();
        return false;
    }
    return true;
}

}  // namespace codec
