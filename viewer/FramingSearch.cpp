#include "viewer/FramingSearch.h"

#include <algorithm>
#include <cmath>

namespace rx {

namespace {

constexpr int RunWidth = 2 * FramingSearch::RunReach + 1;
// What makes a fold's peak the break: it stands out this many of the
// noise's deviations, and nothing this far from it comes within this share
// of it. With line sync smeared by a channel every line start stands out
// too; what is left once they are taken out must stand out as well.
constexpr double BreakContrast = 0.4, BreakScore = 3, BreakShare = 0.8;
constexpr double LineContrast = 0.25, LineScore = 3, LineShare = 0.95;
constexpr int RivalDistance = 40;
// The share of a frame's part of the fold's peak that the newest frame
// must hold itself.
constexpr double NewestShare = 0.25;
// A fold whose runs average more than this per sample holds no tone.
constexpr double NoiseFloor = 0.4;

// Position `peak` of row[0..bins) refined by a parabola through it and its
// neighbours.
double refined(const std::vector<double>& row, int bins, int peak) {
    if (peak <= 0 || peak >= bins - 1) return peak;
    const double a = row[static_cast<std::size_t>(peak - 1)], b = row[static_cast<std::size_t>(peak)],
                 c = row[static_cast<std::size_t>(peak + 1)];
    const double curve = a - 2 * b + c;
    return curve < 0 ? peak + 0.5 * (a - c) / curve : peak;
}

}  // namespace

void FramingSearch::reset(double maxPeriod, double lineSamples, int lines) {
    lineSamples_ = lineSamples;
    lines_ = lines;
    std::size_t size = 1;
    while (static_cast<double>(size) < (FoldFrames + 1) * maxPeriod + 64) size *= 2;
    mask_ = size - 1;
    measures_.assign(size, 0.0f);
    runs_.assign(size, 0.0f);
    from_ = 0;
}

void FramingSearch::restart(std::int64_t from) {
    std::fill(measures_.begin(), measures_.end(), 0.0f);
    std::fill(runs_.begin(), runs_.end(), 0.0f);
    from_ = from;
}

void FramingSearch::put(std::int64_t n, float measure) {
    measures_[static_cast<std::size_t>(n) & mask_] = measure;
    // The run about sample n - RunReach is now whole.
    float sum = 0;
    for (int k = 0; k < RunWidth; ++k) sum += measures_[static_cast<std::size_t>(n - k) & mask_];
    runs_[static_cast<std::size_t>(n - RunReach) & mask_] = sum;
}

bool FramingSearch::decide(const std::vector<double>& row, int bins, int frames, double contrast, double share,
                           double minScore, int& peak, double& score) const {
    peak = static_cast<int>(std::max_element(row.begin(), row.begin() + bins) - row.begin());
    double sum = 0, squares = 0, rival = -1e300;
    int count = 0;
    for (int b = 0; b < bins; ++b) {
        int away = std::abs(b - peak);
        away = std::min(away, bins - away);
        if (away < RivalDistance) continue;
        const double v = row[static_cast<std::size_t>(b)];
        sum += v;
        squares += v * v;
        rival = std::max(rival, v);
        ++count;
    }
    if (count < 2) return false;
    const double mean = sum / count;
    const double deviation = std::sqrt(std::max(0.0, squares / count - mean * mean));
    const double excess = row[static_cast<std::size_t>(peak)] - mean;
    if (!(deviation > 1e-9) || !(excess > 0)) return false;
    score = excess / deviation;
    return excess >= contrast * frames && score >= minScore && rival - mean <= share * excess;
}

FramingSearch::Found FramingSearch::follow(double predicted, int reach, int frames, double period, double step,
                                           int steps, double& floor) {
    Found result;
    frames = std::clamp(frames, 1, FoldFrames);
    const int bins = 2 * reach + 1;
    const std::int64_t first = std::llround(predicted) - reach;
    row_.assign(static_cast<std::size_t>(bins), 0.0);
    best_.assign(static_cast<std::size_t>(bins), 0.0);
    double bestPeak = -1e300;
    int bestK = 0;
    peaks_.assign(static_cast<std::size_t>(2 * steps + 1), 0.0);
    for (int k = -steps; k <= steps; ++k) {
        const double p = period + k * step;
        std::fill(row_.begin(), row_.end(), 0.0);
        for (int j = 0; j < frames; ++j) {
            const std::int64_t from = first - std::llround(j * p);
            for (int b = 0; b < bins; ++b) {
                const std::int64_t n = from + b;
                row_[static_cast<std::size_t>(b)] += n < from_ ? 0.0f : run(n);
            }
        }
        const double peak = *std::max_element(row_.begin(), row_.end());
        peaks_[static_cast<std::size_t>(k + steps)] = peak;
        if (peak > bestPeak) {
            bestPeak = peak;
            bestK = k;
            best_.swap(row_);
        }
    }
    const int peak = static_cast<int>(std::max_element(best_.begin(), best_.end()) - best_.begin());
    // The floor: the fold away from the break's run.
    double sum = 0;
    int count = 0;
    for (int b = 0; b < bins; ++b)
        if (std::abs(b - peak) > 2 * RunReach) {
            sum += best_[static_cast<std::size_t>(b)];
            ++count;
        }
    const double mean = count > 0 ? sum / count : 0.0;
    floor = mean / (RunWidth * frames);
    // The break's centre: the folded measure's centroid over the peak's
    // run, weighted by its squared excess over the floor, so that the break
    // outweighs the picture's own small excursions beside it.
    // The period between the steps, from how the peak falls off either side.
    const double p = period + (refined(peaks_, 2 * steps + 1, bestK + steps) - steps) * step;
    double weight = 0, moment = 0;
    for (int b = std::max(0, peak - RunReach); b <= std::min(bins - 1, peak + RunReach); ++b) {
        // Each frame at its own fractional place, so that the fold is not
        // smeared by rounding.
        double folded = 0;
        for (int j = 0; j < frames; ++j) {
            const double x = static_cast<double>(first + b) - j * p;
            const double whole = std::floor(x), part = x - whole;
            const std::int64_t n = static_cast<std::int64_t>(whole);
            if (n >= from_)
                folded += (1 - part) * measures_[static_cast<std::size_t>(n) & mask_] +
                          part * measures_[static_cast<std::size_t>(n + 1) & mask_];
        }
        const double excess = std::max(0.0, folded - mean / RunWidth);
        weight += excess * excess;
        moment += excess * excess * b;
    }
    result.found = true;
    result.position = static_cast<double>(first) + (weight > 0 ? moment / weight : peak);
    result.period = p;
    result.score = (best_[static_cast<std::size_t>(peak)] - mean) / frames;
    return result;
}

FramingSearch::Found FramingSearch::search(std::int64_t end, int bins, int frames, double period, double step,
                                           int reach) {
    Found result;
    frames = std::clamp(frames, 1, FoldFrames);
    const std::int64_t first = end - bins;
    const std::int64_t lo = first - static_cast<std::int64_t>(std::ceil((frames - 1) * (period + reach * step))) - 2;
    recent_.resize(static_cast<std::size_t>(end - lo));
    for (std::int64_t n = lo; n < end; ++n)
        recent_[static_cast<std::size_t>(n - lo)] = n < from_ ? 0.0f : run(n);

    // Summed in single precision, so that the loops run vectorised.
    sums_.resize(static_cast<std::size_t>(bins));
    best_.assign(static_cast<std::size_t>(bins), 0.0);
    double bestSpread = -1;
    int bestK = 0;
    for (int k = -reach; k <= reach; ++k) {
        const double p = period + k * step;
        float* sum = sums_.data();
        std::fill(sums_.begin(), sums_.end(), 0.0f);
        for (int j = 0; j < frames; ++j) {
            const float* frame = recent_.data() + (first - std::llround(j * p) - lo);
            for (int b = 0; b < bins; ++b) sum[b] += frame[b];
        }
        // The period that lines the frames up best: where the fold varies
        // most (the break, and the line sync bursts when there are, all
        // stand highest when the frames line up).
        double squares = 0, total = 0;
        for (int b = 0; b < bins; ++b) {
            squares += static_cast<double>(sum[b]) * sum[b];
            total += sum[b];
        }
        const double spread = squares - total * total / bins;
        if (spread > bestSpread) {
            bestSpread = spread;
            bestK = k;
            std::copy(sums_.begin(), sums_.end(), best_.begin());
        }
    }
    double mean = 0;
    for (double v : best_) mean += v;
    mean /= bins;
    if (!(mean < NoiseFloor * RunWidth * frames)) return result;

    int peak = 0;
    double score = 0;
    bool found = decide(best_, bins, frames, BreakContrast, BreakShare, BreakScore, peak, score);
    const std::vector<double>* chosen = &best_;
    if (!found) {
        // Take out of every place what the places a whole number of lines
        // on share with it: the line starts' bursts go, the break stays.
        comb_.assign(static_cast<std::size_t>(bins), 0.0);
        for (int l = 0; l < lines_; ++l) {
            const int shift = static_cast<int>(std::lround(lineSamples_ * l)) % bins;
            for (int b = 0; b < bins; ++b) {
                int at = b + shift;
                if (at >= bins) at -= bins;
                comb_[static_cast<std::size_t>(b)] += best_[static_cast<std::size_t>(at)];
            }
        }
        for (int b = 0; b < bins; ++b)
            comb_[static_cast<std::size_t>(b)] = best_[static_cast<std::size_t>(b)] - comb_[static_cast<std::size_t>(b)] / lines_;
        found = decide(comb_, bins, frames, LineContrast, LineShare, LineScore, peak, score);
        chosen = &comb_;
    }
    if (!found) return result;
    // A break comes every frame: the newest must show it too, or what the
    // fold holds is a single event (the sound starting, a click) that the
    // fold remembers.
    double newest = 0;
    for (int b = 0; b < bins; ++b) newest += run(first + b);
    newest /= bins;
    const double own = run(first + peak) - newest, foldExcess = (*chosen)[static_cast<std::size_t>(peak)] - mean;
    if (frames > 1 && !(own > NewestShare * foldExcess / frames)) return result;
    result.found = true;
    result.position = static_cast<double>(first) + refined(*chosen, bins, peak);
    result.period = period + bestK * step;
    result.score = score;
    return result;
}

}  // namespace rx
