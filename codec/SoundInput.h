#pragma once
// Reading a sound file as the receiver's capture would record it: the first
// channel, as unsigned 8-bit samples with 128 as zero.
#include <cstdint>
#include <string>
#include <vector>

#include <sndfile.h>

namespace codec {

class SoundInput {
public:
    SoundInput() = default;
    ~SoundInput();
    SoundInput(const SoundInput&) = delete;
    SoundInput& operator=(const SoundInput&) = delete;

    // Opens any file libsndfile reads; false with errorText set.
    bool open(const std::string& path, std::string& errorText);
    int sampleRate() const { return info_.samplerate; }
    // Samples per channel the file says it holds.
    long long length() const { return static_cast<long long>(info_.frames); }

    // Reads up to `count` samples of the first channel into `bytes`: each
    // sample read as 16 bits, s, becomes (s >> 8) + 128, so an unsigned
    // 8-bit file gives back its own bytes. Returns the samples read (fewer
    // only at the end of the file), or -1 with errorText set.
    long long read(std::uint8_t* bytes, long long count, std::string& errorText);

private:
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
    std::string path_;
    std::vector<short> scratch_;
};

}  // namespace codec
