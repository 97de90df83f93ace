#include "codec/ChannelChoice.h"

#include <fftw3.h>

#include <cmath>
#include <complex>
#include <memory>

namespace codec {

namespace {

struct FftwFree {
    void operator()(void* p) const { fftwf_free(p); }
};

}  // namespace

std::vector<double> bandEnergies(const short* interleaved, std::size_t frames, int channels, int sampleRate) {
    std::vector<double> energies(static_cast<std::size_t>(channels), 0.0);
    if (frames < 2 || channels < 1 || sampleRate < 1) return energies;
    const int n = static_cast<int>(frames);
    const std::size_t bins = frames / 2 + 1;
    std::unique_ptr<float[], FftwFree> in(static_cast<float*>(fftwf_malloc(sizeof(float) * frames)));
    std::unique_ptr<fftwf_complex[], FftwFree> out(
        static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * bins)));
    if (!in || !out) return energies;
    const fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, in.get(), out.get(), FFTW_ESTIMATE);
    if (plan == nullptr) return energies;
    const double binWidth = static_cast<double>(sampleRate) / n;
    for (int c = 0; c < channels; ++c) {
        for (std::size_t i = 0; i < frames; ++i) in[i] = interleaved[i * static_cast<std::size_t>(channels) + c];
        fftwf_execute(plan);
        double sum = 0.0;
        for (std::size_t k = 0; k < bins; ++k) {
            const double f = static_cast<double>(k) * binWidth;
            if (f >= SignalBandLow && f <= SignalBandHigh)
                sum += double(out[k][0]) * out[k][0] + double(out[k][1]) * out[k][1];
        }
        energies[static_cast<std::size_t>(c)] = sum;
    }
    fftwf_destroy_plan(plan);
    return energies;
}

int strongestChannel(const std::vector<double>& energies) {
    int best = 0;
    for (std::size_t c = 1; c < energies.size(); ++c)
        if (energies[c] > energies[static_cast<std::size_t>(best)]) best = static_cast<int>(c);
    return best;
}

}  // namespace codec
