#include "codec/Resampler.h"

#include <soxr.h>

#include <cmath>

namespace codec {

Resampler::~Resampler() {
    if (resampler_ != nullptr) soxr_delete(resampler_);
}

bool Resampler::start(double fromRate, double toRate, std::string& errorText) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    resampler_ = soxr_create(fromRate, toRate, 1, &error, &io, &quality, nullptr);
    if (error != nullptr || resampler_ == nullptr) {
        errorText = std::string("cannot resample: ") + (error != nullptr ? error : "no resampler");
        resampler_ = nullptr;
        return false;
    }
    ratio_ = toRate / fromRate;
    return true;
}

std::size_t Resampler::outputFor(std::size_t count) const {
    return static_cast<std::size_t>(std::ceil(static_cast<double>(count) * ratio_)) + 256;
}

bool Resampler::process(const float* in, std::size_t count, std::vector<float>& out, std::string& errorText) {
    // At the end, the library hands out what it holds in as many calls as
    // it takes; otherwise every input sample is taken.
    for (;;) {
        const std::size_t start = out.size();
        out.resize(start + outputFor(count));
        std::size_t used = 0, made = 0;
        const soxr_error_t error =
            soxr_process(resampler_, count > 0 ? in : nullptr, count, &used, out.data() + start, out.size() - start, &made);
        out.resize(start + made);
        if (error != nullptr) {
            errorText = std::string("cannot resample: ") + error;
            return false;
        }
        if (count == 0 ? made == 0 : used >= count || (used == 0 && made == 0)) return true;
        in += used;
        count -= used;
    }
}

}  // namespace codec
