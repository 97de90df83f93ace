#include "codec/EncodeOutput.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
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
    // The library finishes a WAV file by going back to its header, which a
    // stream cannot do: the file is made in a scratch file of its own (gone
    // when closed) and then copied to the output front to back.
    std::unique_ptr<FILE, int (*)(FILE*)> scratch(std::tmpfile(), std::fclose);
    if (!scratch) {
        errorText = "cannot write " + path + ": no scratch file: " + std::strerror(errno);
        return false;
    }
    SF_INFO format{};
    format.samplerate = SampleRate;
    format.channels = 2;
    format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open_fd(fileno(scratch.get()), SFM_WRITE, &format, SF_FALSE);
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
    std::rewind(scratch.get());
    std::vector<char> chunk(1 << 16);
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), scratch.get())) > 0;) {
        if (!output.write(chunk.data(), n)) {
            errorText = output.errorText();
            return false;
        }
    }
    if (std::ferror(scratch.get())) {
        errorText = "cannot write " + path + ": the scratch file could not be read back";
        return false;
    }
    if (!output.commit()) {
        errorText = output.errorText();
        return false;
    }
    return true;
}

}  // namespace codec
