#include "codec/EncodeOutput.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "codec/OutputFile.h"

using namespace tx;

namespace codec {

namespace {

// libsndfile's virtual I/O over an output that is written front to back
// once, so that a stream can take a WAV file too. The header, rewritten
// by the library at the end, is made final at the start instead: once the
// header is out, `finalLength` is the length the whole file will have,
// and the library is asked to write the header for it. Bytes are held
// until a later write can no longer change them; a rewrite of bytes
// already sent must repeat them.
class OnceThrough {
public:
    explicit OnceThrough(OutputFile& output) : output_(output) {}

    static SF_VIRTUAL_IO callbacks() {
        SF_VIRTUAL_IO io{};
        io.get_filelen = [](void* data) { return self(data).length(); };
        io.seek = [](sf_count_t offset, int whence, void* data) { return self(data).seek(offset, whence); };
        io.read = [](void*, sf_count_t, void*) { return sf_count_t{0}; };
        io.write = [](const void* from, sf_count_t count, void* data) { return self(data).write(from, count); };
        io.tell = [](void* data) { return self(data).position_; };
        return io;
    }

    void setFinalLength(sf_count_t length) { finalLength_ = length; }
    // Sends what is still held; false when the output failed.
    bool finish() { return flush(held_.size()) && !failed_; }

private:
    static OnceThrough& self(void* data) { return *static_cast<OnceThrough*>(data); }

    sf_count_t length() const { return std::max(finalLength_, sent_ + static_cast<sf_count_t>(held_.size())); }

    sf_count_t seek(sf_count_t offset, int whence) {
        position_ = whence == SEEK_SET ? offset : whence == SEEK_CUR ? position_ + offset : length() + offset;
        return position_;
    }

    sf_count_t write(const void* from, sf_count_t count) {
        const auto* bytes = static_cast<const std::uint8_t*>(from);
        for (sf_count_t i = 0; i < count; ++i) {
            const sf_count_t at = position_ + i;
            if (at < sent_) {  // a rewrite of what is out: must agree
                const auto index = static_cast<std::size_t>(at);
                if (index >= start_.size() || start_[index] != bytes[i]) failed_ = true;
            } else if (at <= sent_ + static_cast<sf_count_t>(held_.size())) {
                const auto index = static_cast<std::size_t>(at - sent_);
                if (index == held_.size()) held_.push_back(bytes[i]); else held_[index] = bytes[i];
            } else {
                failed_ = true;  // a gap a stream cannot have
            }
        }
        position_ += count;
        // The last bytes may still be rewritten; anything before is sent.
        if (finalLength_ > 0 && held_.size() > 65536 && !flush(held_.size() - 4096)) return 0;
        return failed_ ? 0 : count;
    }

    bool flush(std::size_t count) {
        if (count == 0) return true;
        if (!output_.write(held_.data(), count)) return false;
        if (start_.size() < 4096)
            start_.insert(start_.end(), held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(count, 4096 - start_.size())));
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
        sent_ += static_cast<sf_count_t>(count);
        return true;
    }

    OutputFile& output_;
    sf_count_t position_ = 0, sent_ = 0, finalLength_ = 0;
    std::vector<std::uint8_t> held_, start_;
    bool failed_ = false;
};

}  // namespace

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
    OnceThrough sink(output);
    SF_VIRTUAL_IO io = OnceThrough::callbacks();
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &format, &sink);
    if (file == nullptr) {
        errorText = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    // The header is out; with the file's final length known, it is written
    // once more as it will stay.
    sink.setFinalLength(io.tell(&sink) +
                        static_cast<sf_count_t>(frames) * FrameSamples * 2 * 2);
    sf_command(file, SFC_UPDATE_HEADER_NOW, nullptr, 0);
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
    if (!written) errorText = output.errorText().empty() ? "cannot write " + path + ": " + sf_strerror(file) : output.errorText();
    if (sf_close(file) != 0 && written) {
        errorText = "cannot write " + path + ": the file could not be completed";
        written = false;
    }
    if (written && !sink.finish()) {
        errorText = output.errorText().empty() ? "cannot write " + path + ": the header changed while streaming"
                                               : output.errorText();
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
