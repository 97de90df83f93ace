#pragma once
// The spectrum and input level of captured sound, for the tuning display.
// No toolkit, no sound: bytes in, numbers out.
#include <array>
#include <cstdint>
#include <vector>

namespace rx {

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

// Peak and RMS of unsigned 8-bit samples as fractions of full scale (128),
// and whether any sample reached 0 or 255.
struct InputLevel {
    double peak = 0;
    double rms = 0;
    bool clipped = false;
};
InputLevel inputLevel(const std::uint8_t* samples, int count);

// Where a transmitter's black, white and sync tones (made for 10000 samples
// a second) fall when captured at this rate: the receiver works at a
// quarter of its rate, so the tones scale with it.
std::array<double, 3> toneMarkers(int sampleRate);

}  // namespace rx
