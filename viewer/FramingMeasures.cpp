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

namespace {

// Solves a x = b for a k x k system held row by row, by elimination with
// partial pivoting, in place (a is left worked over, b holds x); a pivot
// that vanishes leaves its unknown 0.
void solve(std::vector<std::complex<double>>& a, std::vector<std::complex<double>>& b, int k, int m) {
    auto at = [k](int r, int c) { return static_cast<std::size_t>(r * k + c); };
    auto bat = [m](int r, int c) { return static_cast<std::size_t>(r * m + c); };
    double scale = 0;
    for (int i = 0; i < k; ++i) scale = std::max(scale, std::abs(a[at(i, i)]));
    const double tiny = 1e-12 * scale;
    constexpr int MostUnknowns = 16;
    bool vanished[MostUnknowns] = {};
    for (int col = 0; col < k; ++col) {
        int pivot = col;
        for (int r = col + 1; r < k; ++r)
            if (std::abs(a[at(r, col)]) > std::abs(a[at(pivot, col)])) pivot = r;
        if (!(std::abs(a[at(pivot, col)]) > tiny)) {
            vanished[col] = true;
            continue;
        }
        for (int c = 0; c < k; ++c) std::swap(a[at(col, c)], a[at(pivot, c)]);
        for (int c = 0; c < m; ++c) std::swap(b[bat(col, c)], b[bat(pivot, c)]);
        for (int r = 0; r < k; ++r) {
            if (r == col) continue;
            const std::complex<double> f = a[at(r, col)] / a[at(col, col)];
            if (f == 0.0) continue;
            for (int c = col; c < k; ++c) a[at(r, c)] -= f * a[at(col, c)];
            for (int c = 0; c < m; ++c) b[bat(r, c)] -= f * b[bat(col, c)];
        }
    }
    for (int r = 0; r < k; ++r)
        for (int c = 0; c < m; ++c)
            b[bat(r, c)] = vanished[r] ? 0.0 : b[bat(r, c)] / a[at(r, r)];
}

}  // namespace

std::vector<double> leftOutMisses(const std::complex<double>* regressors, const std::complex<double>* values, int rows,
                                  int k, int m) {
    // The normal equations over every row; each row's own part is taken
    // out of them before its prediction.
    const std::size_t kk = static_cast<std::size_t>(k * k), km = static_cast<std::size_t>(k * m);
    std::vector<std::complex<double>> gram(kk), cross(km);
    auto addRow = [&](int row, double sign, std::vector<std::complex<double>>& g, std::vector<std::complex<double>>& h) {
        const std::complex<double>* x = regressors + static_cast<std::ptrdiff_t>(row) * k;
        const std::complex<double>* y = values + static_cast<std::ptrdiff_t>(row) * m;
        for (int r = 0; r < k; ++r) {
            for (int c = 0; c < k; ++c) g[static_cast<std::size_t>(r * k + c)] += sign * std::conj(x[r]) * x[c];
            for (int c = 0; c < m; ++c) h[static_cast<std::size_t>(r * m + c)] += sign * std::conj(x[r]) * y[c];
        }
    };
    for (int row = 0; row < rows; ++row) addRow(row, 1, gram, cross);
    std::vector<double> misses(static_cast<std::size_t>(rows), 0.0);
    std::vector<std::complex<double>> g, h;
    for (int row = 0; row < rows; ++row) {
        g = gram;
        h = cross;
        addRow(row, -1, g, h);
        solve(g, h, k, m);
        const std::complex<double>* x = regressors + static_cast<std::ptrdiff_t>(row) * k;
        const std::complex<double>* y = values + static_cast<std::ptrdiff_t>(row) * m;
        double miss = 0;
        for (int c = 0; c < m; ++c) {
            std::complex<double> predicted = 0;
            for (int r = 0; r < k; ++r) predicted += x[r] * h[static_cast<std::size_t>(r * m + c)];
            miss += std::norm(y[c] - predicted);
        }
        misses[static_cast<std::size_t>(row)] = miss;
    }
    return misses;
}

}  // namespace rx
