#pragma once
// One channel of sound from one sample rate to another, in a stream, with
// libsoxr's high-quality recipe.
#include <cstddef>
#include <string>
#include <vector>

struct soxr;

namespace codec {

class Resampler {
public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // False with errorText set when the library refuses the rates.
    bool start(double fromRate, double toRate, std::string& errorText);
    // Appends the output for these input samples (or, with count 0, all
    // that is still held at the end of the input) to `out`.
    bool process(const float* in, std::size_t count, std::vector<float>& out, std::string& errorText);
    // Output samples that `count` more input samples give at most.
    std::size_t outputFor(std::size_t count) const;
    double ratio() const { return ratio_; }

private:
    soxr* resampler_ = nullptr;
    double ratio_ = 1.0;
};

}  // namespace codec
