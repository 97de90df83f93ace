#include "platform/SoundSpectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
constexpr double Pi = 3.14159265358979323846;
}  // namespace

Spectrum::Spectrum()
    : input_(fftwf_alloc_real(SpectrumLength)),
      output_(fftwf_alloc_complex(SpectrumBins)),
      window_(SpectrumLength),
      levels_(SpectrumBins) {
    plan_ = fftwf_plan_dft_r2c_1d(SpectrumLength, input_, static_cast<fftwf_complex*>(output_),
                                  FFTW_ESTIMATE);
    // Hann window; a full-scale sine then peaks at 128 * sum(window) / 2.
    double sum = 0;
    for (int n = 0; n < SpectrumLength; ++n) {
        window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(2 * Pi * n / SpectrumLength));
        sum += window_[n];
    }
    scale_ = static_cast<float>(2.0 / (128.0 * sum));
}

Spectrum::~Spectrum() {
    fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
    fftwf_free(static_cast<fftwf_complex*>(output_));
    fftwf_free(input_);
}

const std::vector<float>& Spectrum::analyse(const std::uint8_t* samples, int count) {
    const int used = std::clamp(count, 0, SpectrumLength);
    const std::uint8_t* first = samples + (count - used);
    for (int n = 0; n < SpectrumLength; ++n)
        input_[n] = n < used ? (static_cast<float>(first[n]) - 128.0f) * window_[n] : 0.0f;
    fftwf_execute(static_cast<fftwf_plan>(plan_));
    const auto* bins = static_cast<const fftwf_complex*>(output_);
    for (int k = 0; k < SpectrumBins; ++k) {
        const float magnitude = std::hypot(bins[k][0], bins[k][1]) * scale_;
        levels_[k] = 20.0f * std::log10(std::max(magnitude, 1e-6f));
    }
    return levels_;
}

}  // namespace platform
