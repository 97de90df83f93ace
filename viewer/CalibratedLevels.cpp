#include "viewer/CalibratedLevels.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "viewer/DemodulatorFilters.h"

namespace rx {

double toneResponse(double hz, const ReceiverSettings& s) {
    const double rate = s.sampleRate > 0 ? s.sampleRate : nbtv::SignalRate;
    const double offset = 2 * std::numbers::pi * (hz - rate / 4) / rate;
    double v;
    if (s.demodMode == DemodAM) {
        std::complex<double> gain = 0;
        const FilterTerm* terms = lowPassTerms(s.lowPassCutoff);
        for (std::size_t k = 0; k < FilterTermCount; ++k)
            gain += terms[k].coefficient * std::polar(1.0, -offset * terms[k].offset);
        v = 0.25 * ToneAmplitudeCounts * std::abs(gain);
    } else {
        v = std::sin(offset);
    }
    return s.polarity == 1 ? v : -v;
}

Levels calibratedLevels(const ReceiverSettings& s) {
    const double black = toneResponse(BlackToneHz, s), white = toneResponse(WhiteToneHz, s);
    const double span = std::abs(white - black);
    const double contrast = span > 0 ? std::clamp(std::nearbyint(255.0 / span), 0.0, 1024.0) : 0.0;
    // Level = contrast * v + brightness - 50, and the lower tone gives 0.
    const double brightness = std::clamp(std::nearbyint(50.0 - contrast * std::min(black, white)), 0.0, 512.0);
    return Levels{static_cast<int>(brightness), static_cast<int>(contrast)};
}

}  // namespace rx
