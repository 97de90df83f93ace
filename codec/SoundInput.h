#pragma once
// Reading a sound file as the receiver's capture would record it: one
// channel, at the decoding rate, as unsigned 8-bit samples with 128 as
// zero.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sndfile.h>

#include "codec/InputFormat.h"
#include "codec/Resampler.h"
#include "codec/StreamInput.h"

namespace codec {

class SoundInput {
public:
    SoundInput() = default;
    ~SoundInput();
    SoundInput(const SoundInput&) = delete;
    SoundInput& operator=(const SoundInput&) = delete;

    // Opens any file libsndfile reads, or with "-" standard input as a
    // stream; with `raw` given, raw PCM of that format. False with
    // errorText set, also when the rate cannot hold the signal
    // (inputRateProblem).
    bool open(const std::string& path, const RawFormat& raw, std::string& errorText);
    int sampleRate() const { return info_.samplerate; }
    int channels() const { return info_.channels; }
    // Samples per channel the file says it holds.
    long long length() const { return static_cast<long long>(info_.frames); }

    // Reads `seconds` of every channel from the start (kept, and read again
    // later) and returns the signal-band energy of each channel.
    std::vector<double> channelEnergies(double seconds, std::string& errorText);
    // The channel (0-based) that read() takes; the first by default.
    void useChannel(int channel) { channel_ = channel; }
    // From now on, read() gives samples at `rate`, resampled.
    bool resampleTo(int rate, std::string& errorText);

    // Reads up to `count` samples of the channel into `bytes`: each sample
    // read as 16 bits, s, becomes (s >> 8) + 128, so an unsigned 8-bit
    // file gives back its own bytes (resampled sound is rounded to 16 bits
    // first). Returns the samples read (fewer only at the end of the
    // file), or -1 with errorText set.
    long long read(std::uint8_t* bytes, long long count, std::string& errorText);

private:
    // Interleaved frames from the kept start, then from the file.
    long long readFrames(short* into, long long frames, std::string& errorText);
    sf_count_t readShorts(short* into, sf_count_t frames);  // from the file, as 16-bit samples
    long long readResampled(std::uint8_t* bytes, long long count, std::string& errorText);

    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
    std::string path_;
    std::unique_ptr<StreamInput> stream_;
    std::vector<short> kept_;  // frames read ahead, interleaved
    std::size_t keptUsed_ = 0;  // shorts of kept_ handed out
    int channel_ = 0;
    std::vector<short> scratch_;
    std::vector<float> floats_;  // floating-point samples as read
    std::unique_ptr<Resampler> resampler_;
    std::vector<float> resampleIn_, resampled_;
    std::size_t resampledUsed_ = 0;
    bool inputEnded_ = false;
};

}  // namespace codec
