#include "viewer/FramingMeasures.h"

#include <algorithm>
#include <cmath>

namespace rx {

namespace {

// The turn measure's peak: at least TurnFloor high, TurnRivalRatio times
// anything else, TurnSigmas deviations above the mean, and between
// TurnWidth sender samples wide.
constexpr float TurnFloor = 0.02f;
constexpr float TurnRivalRatio = 4.0f;
constexpr float TurnSigmas = 8.0f;
constexpr double TurnWidth[2] = {2.5, 5.5};

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
    const float outside = outsideArc(folded, std::sqrt(std::norm(folded)), arc);
    const float size = std::max(magnitude, weakMagnitude);
    return size > 0 ? outside / size : 0.0f;
}

bool beyondWhite(std::complex<float> folded, const FramingParameters& p) {
    const std::complex<float> turned = folded * std::conj(p.arcCentre);
    return turned.imag() > 0 && turned.real() < p.arcCos * std::sqrt(std::norm(turned));
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

void turnProfile(const std::complex<float>* runs, const float* sizes, int n, int from, int count, double linePeriod,
                 float weak, float* out) {
    const int line = static_cast<int>(std::lround(linePeriod));
    auto unit = [&](int at) { return runs[at] / std::max(sizes[at], weak); };
    for (int i = from; i < from + count; ++i) {
        const std::complex<float> here = unit(i);
        float closest = 1;
        for (int side : {-line, line})
            for (int near = -1; near <= 1; ++near) {
                const int at = i + side + near;
                if (at >= 0 && at < n) closest = std::min(closest, 0.25f * std::norm(here - unit(at)));
            }
        out[i] = closest;
    }
}

double peakClearness(const Peak& peak, float floor, float rivalRatio, float sigmas) {
    if (peak.at < 0 || !(peak.height > 0)) return 0;
    const double overFloor = peak.height / floor;
    const double overRival = peak.rival > 0 ? peak.height / (rivalRatio * peak.rival) : overFloor;
    const double overNoise = peak.deviation > 0 ? (peak.height - peak.mean) / (sigmas * peak.deviation) : overFloor;
    return std::min({overFloor, overRival, overNoise});
}

bool aboutARun(double width, double scale) { return width >= TurnWidth[0] * scale && width <= TurnWidth[1] * scale; }

double turnClearness(const Peak& peak, double width, double scale) {
    return aboutARun(width, scale) ? peakClearness(peak, TurnFloor, TurnRivalRatio, TurnSigmas) : 0.0;
}

double peakWidth(const float* profile, int n, const Peak& peak, int reach) {
    if (peak.at < 0 || !(peak.height > 0)) return 0;
    double sum = 0;
    for (int d = -reach; d <= reach; ++d) sum += profile[std::clamp(peak.at + d, 0, n - 1)];
    return sum / peak.height;
}

double halfHeightMiddle(const float* profile, int n, const Peak& peak) {
    if (peak.at < 0 || !(peak.height > 0)) return peak.position;
    const float half = 0.5f * peak.height;
    auto crossing = [&](int step) {
        int i = peak.at;
        while (i + step >= 0 && i + step < n && profile[i + step] >= half) i += step;
        if (i + step < 0 || i + step >= n) return static_cast<double>(i);
        // Between i (at least half) and i + step (below it).
        const double inside = profile[i], outside = profile[i + step];
        return i + step * (inside - half) / std::max(1e-12, inside - outside);
    };
    return 0.5 * (crossing(-1) + crossing(1));
}

double toneStep(const std::complex<float>* runs, int n, int at, int apart, int width) {
    std::complex<float> before{}, after{};
    for (int k = 0; k < width; ++k) {
        if (at - apart - k >= 0 && at - apart - k < n) before += runs[at - apart - k];
        if (at + apart + k >= 0 && at + apart + k < n) after += runs[at + apart + k];
    }
    return std::arg(after * std::conj(before));
}

}  // namespace rx
