#pragma once
// The spectrum of captured sound, for the tuning display: one real FFTW
// transform in single precision, planned once.
#include <cstdint>
#include <vector>

namespace platform {

// Samples per transform. 2000 puts whole hundreds of hertz on bin centres
// at the usual rates (5 Hz a bin at 10000 samples a second, 4 Hz at 8000).
constexpr int SpectrumLength = 2000;
constexpr int SpectrumBins = SpectrumLength / 2 + 1;  // 0 Hz .. half the rate

// One real transform, planned once when made; analysing allocates nothing.
class Spectrum {
public:
    Spectrum();
    ~Spectrum();
    Spectrum(const Spectrum&) = delete;
    Spectrum& operator=(const Spectrum&) = delete;

    // Levels in dB against a full-scale sine, bin k at k * rate / length
    // hertz, of the last SpectrumLength samples (unsigned 8-bit, 128 = zero);
    // fewer samples are padded with silence.
    const std::vector<float>& analyse(const std::uint8_t* samples, int count);

private:
    float* input_;
    void* output_;  // fftwf_complex[SpectrumBins]
    void* plan_;    // fftwf_plan
    std::vector<float> window_;
    std::vector<float> levels_;
    float scale_;
};

}  // namespace platform
