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
    // The level mapping: level = contrast * v + brightness - MappingOffset,
    // over 0..FullLevel.
    constexpr double MappingOffset = 50.0, FullLevel = 255.0;
    constexpr double MaxContrast = 1024.0;  // the contrast bar's top
    ReceiverSettings detected = s;
    detected.polarity = 1;
    const double black = toneResponse(BlackToneHz, detected), white = toneResponse(WhiteToneHz, detected);
    const double span = std::abs(white - black);
    const double contrast = span > 0 ? std::clamp(std::nearbyint(FullLevel / span), 0.0, MaxContrast) : 0.0;
    // As detected, the lower tone gives level 0. Inverted, every level l
    // becomes FullLevel - l: the mirror image, a true negative even where
    // the contrast cannot spread the tones over the whole range. The
    // brightness may lie past its bar's ends, as the bar's arrows may take it.
    double brightness = std::nearbyint(MappingOffset - contrast * std::min(black, white));
    if (s.polarity != 1) brightness = FullLevel + 2 * MappingOffset - brightness;
    return Levels{static_cast<int>(brightness), static_cast<int>(contrast)};
}

}  // namespace rx
