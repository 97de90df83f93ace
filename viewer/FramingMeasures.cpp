#include "viewer/FramingMeasures.h"

#include <algorithm>
#include <cmath>

namespace rx {

namespace {

int wrapIndex(int i, int n) {
    i %= n;
    return i < 0 ? i + n : i;
}

}  // namespace

ToneArc toneArc(const FramingParameters& p) { return ToneArc{p.arcCentre, p.arcCos}; }

float outsideArc(std::complex<float> run, float size, const ToneArc& arc) {
    return std::max(0.0f, arc.cosHalf * size - (run * std::conj(arc.centre)).real());
}

float breakMeasure(std::complex<float> folded, float magnitude, float weakMagnitude, const ToneArc& arc) {
    const float outside = outsideArc(folded, std::abs(folded), arc);
    const float size = std::max(magnitude, weakMagnitude);
    return size > 0 ? outside / size : 0.0f;
}

bool beyondWhite(std::complex<float> folded, const FramingParameters& p) {
    const std::complex<float> turned = folded * std::conj(p.arcCentre);
    return turned.imag() > 0 && turned.real() < p.arcCos * std::abs(turned);
}

Peak strongestPeak(const float* v, int n, int exclusion, bool circular) {
    Peak peak;
    if (n <= 0) return peak;
    peak.at = static_cast<int>(std::max_element(v, v + n) - v);
    peak.height = v[peak.at];
    peak.position = peak.at;
    const bool inside = peak.at > 0 && peak.at < n - 1;
    if (circular || inside) {
        const float before = v[wrapIndex(peak.at - 1, n)], after = v[wrapIndex(peak.at + 1, n)];
        const float curve = before - 2 * peak.height + after;
        if (curve < 0) peak.position = peak.at + 0.5 * (before - after) / curve;
    }
    double sum = 0, squares = 0;
    int count = 0;
    float rival = -1e30f;
    for (int i = 0; i < n; ++i) {
        int away = std::abs(i - peak.at);
        if (circular) away = std::min(away, n - away);
        if (away < exclusion) continue;
        sum += v[i];
        squares += static_cast<double>(v[i]) * v[i];
        rival = std::max(rival, v[i]);
        ++count;
    }
    if (count > 0) {
        peak.rival = rival;
        peak.mean = static_cast<float>(sum / count);
        peak.deviation = static_cast<float>(std::sqrt(std::max(0.0, squares / count - (sum / count) * (sum / count))));
    }
    return peak;
}

void takeOutLines(const float* profile, int n, int from, int count, double linePeriod, float* out) {
    const int line = static_cast<int>(std::lround(linePeriod));
    for (int i = from; i < from + count; ++i) {
        float beside = 0;
        for (int side : {-line, line})
            for (int near = -1; near <= 1; ++near) {
                const int at = i + side + near;
                if (at >= 0 && at < n) beside = std::max(beside, profile[at]);
            }
        out[i] = std::max(0.0f, profile[i] - beside);
    }
}

}  // namespace rx
