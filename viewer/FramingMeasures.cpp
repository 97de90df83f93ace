#include "viewer/FramingMeasures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace rx {

namespace {

// The arc a fold's runs turn through leaves out the hundredth of its
// places that turn least and the hundredth that turn most, and is widened
// by the noise a fold's turn keeps and the overshoot a channel's band edge
// gives a sharp step from black to white.
constexpr std::size_t ArcTail = 100;
constexpr float ArcNoise = 12 * std::numbers::pi_v<float> / 180;

int wrapIndex(int i, int n) {
    i %= n;
    return i < 0 ? i + n : i;
}

}  // namespace

ToneArc toneArc(const FramingParameters& p) { return ToneArc{p.arcCentre, p.arcCos}; }

ToneArc foldedArc(const std::complex<float>* runs, const float* sizes, int n, const FramingParameters& p) {
    double total = 0;
    for (int i = 0; i < n; ++i) total += sizes[i];
    const double weak = p.weakShare * total / std::max(n, 1);
    std::vector<float> turns;
    turns.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        if (sizes[i] > weak) turns.push_back(std::arg(runs[i] * std::conj(p.arcCentre)));
    const ToneArc nominal = toneArc(p);
    if (turns.size() < 2 * ArcTail) return nominal;
    const std::size_t tail = turns.size() / ArcTail;
    std::nth_element(turns.begin(), turns.begin() + static_cast<long>(tail), turns.end());
    const float low = turns[tail];
    std::nth_element(turns.begin(), turns.end() - 1 - static_cast<long>(tail), turns.end());
    const float high = turns[turns.size() - 1 - tail];
    const float half = std::acos(nominal.cosHalf);
    const float from = std::max(-half, low - ArcNoise), to = std::min(half, high + ArcNoise);
    if (!(to > from)) return nominal;
    return ToneArc{p.arcCentre * std::polar(1.0f, 0.5f * (from + to)), std::cos(0.5f * (to - from))};
}

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
