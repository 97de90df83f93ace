#include "viewer/FramingTracker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rx {

namespace {

// The sender's signal at its 10000 samples per second.
constexpr double SentRate = 10000;
constexpr double SentFrameSamples = 3841;
constexpr double SentLineSamples = 120;
constexpr int SentLines = 32;
constexpr double BlackHz = 1727.7, SyncHz = 2969.0;

// A four-term Hilbert transformer, its two taps fitted so that the gain is
// 1 within 1% over 1700..3000 Hz at 10000 samples per second.
constexpr double Hilbert1 = 0.576, Hilbert3 = 0.076;
constexpr int HilbertReach = 3;

// Searching: how fast the fold forgets, and what makes its peak a break.
constexpr float FoldForget = 0.5f;
constexpr double SearchContrast = 0.4, SearchFloor = 0.4;
constexpr int SearchAgreement = 6;  // samples between two frames' peaks
// The break is looked for over this many samples either side, and must
// stand out this much over anything this far from it.
constexpr int BreakReach = 3;
constexpr int RivalDistance = 40;
constexpr double RivalShare = 0.8;
// The same with what the line starts share taken out of the fold.
constexpr double LineContrast = 0.25, LineRivalShare = 0.95;
// Following: what makes a break, how far a measurement may stray from the
// fit, how many frames are fitted, and how many misses lose the lock.
constexpr double FollowContrast = 0.35, FollowFloor = 0.4;
constexpr double FollowTolerance = 3;
constexpr std::size_t FittedFrames = 32;
constexpr int MissesToLose = 8;
// Sync bursts: the reach of the search about each line start, the advance
// band that counts as sync and the contrast that makes them present.
constexpr int SyncBefore = 6, SyncAfter = 9, SyncWidth = 4;
constexpr double SyncBand = 0.2, SyncContrast = 0.35;
// The period is held within this fraction of the nominal one.
constexpr double MaxClockError = 0.004;
// Where the break's centroid stands against the frame's true start, and
// the sync box against the line's first sample: found on clean signals from
// the transmitter's synthesis. A channel's band-pass moves the break's
// centroid up to a sample earlier.
constexpr double BreakBias = 0.0, SyncBias = 0.7;

// Where in m[0..n) the break measure stands out most over a run of
// 2 BreakReach + 1 samples (a channel's filters spread the one-sample break
// over several): the run's centroid (weighted by the squared excess over
// the floor) and its excess over the floor. The floor is the mean of m outside the run, or `mean` where that
// is all there is; it is returned.
double locateBreak(const double* m, int n, double mean, double& centre, double& strength) {
    constexpr int Width = 2 * BreakReach + 1;
    if (n < Width) {
        centre = strength = 0;
        return mean;
    }
    double run = 0, best = -1, total = 0;
    int at = 0;
    for (int j = 0; j < n; ++j) total += m[j];
    for (int j = 0; j < Width; ++j) run += m[j];
    for (int j = 0;; ++j) {
        if (run > best) {
            best = run;
            at = j;
        }
        if (j + Width >= n) break;
        run += m[j + Width] - m[j];
    }
    const double floor = n > 2 * Width ? (total - best) / (n - Width) : mean;
    double weight = 0, moment = 0;
    for (int j = at; j < at + Width; ++j) {
        // Squared, so that the break outweighs the picture's own small
        // excursions beside it.
        const double excess = std::max(0.0, m[j] - floor) * std::max(0.0, m[j] - floor);
        weight += excess;
        moment += excess * j;
    }
    centre = weight > 0 ? moment / weight : at + BreakReach;
    strength = best - Width * floor;
    return floor;
}

// The peak of s[0..n) (n >= 3), refined by a parabola through it and its
// neighbours.
double refinedPeak(const double* s, int n, int& at) {
    at = static_cast<int>(std::max_element(s, s + n) - s);
    if (at == 0 || at == n - 1) return at;
    const double a = s[at - 1], b = s[at], c = s[at + 1];
    const double curve = a - 2 * b + c;
    return curve < 0 ? at + 0.5 * (a - c) / curve : at;
}

}  // namespace

FramingTracker::FramingTracker(int sampleRate) { reset(sampleRate); }

void FramingTracker::reset(int sampleRate) {
    sampleRate_ = sampleRate > 0 ? sampleRate : 10000;
    scale_ = sampleRate_ / SentRate;
    nominalPeriod_ = SentFrameSamples * scale_;
    period_ = nominalPeriod_;
    const double twoPi = 2 * std::numbers::pi;
    const double centre = twoPi * 0.5 * (BlackHz + SyncHz) / sampleRate_;
    centreCos_ = std::cos(centre);
    centreSin_ = std::sin(centre);
    syncCos_ = std::cos(twoPi * SyncHz / sampleRate_);
    syncSin_ = std::sin(twoPi * SyncHz / sampleRate_);
    window_ = std::max(6, static_cast<int>(std::lround(12 * scale_)));
    ring_.assign(RingSize, 128);
    total_ = 0;
    locked_ = false;
    // The first frame starts a little in, so that frames cut from it with
    // the demodulator's delay allowed for start within the sound.
    modelStart_ = 16;
    modelBase_ = 16;
    processed_ = 16;
    fold_.assign(static_cast<std::size_t>(std::ceil(nominalPeriod_ * (1 + MaxClockError))) + 4, 0.0f);
    foldedFrames_ = 0;
    foldWeight_ = 1;
    lastPeak_ = -1;
    frame_ = 0;
    eventAt_ = 0;
    observations_.clear();
    fitStart_ = 0;
    fitPeriod_ = period_;
    fitFrame_ = 0;
    missed_ = 0;
    syncPresent_ = false;
    lockedAt_ = -1;
    starts_.clear();
    starts_.push_back(static_cast<double>(modelBase_));
}

void FramingTracker::feed(const std::uint8_t* samples, std::size_t count) {
    // In pieces, so that nothing still needed is overwritten in the ring.
    constexpr std::size_t Piece = 4096;
    while (count > 0) {
        const std::size_t n = std::min(count, Piece);
        for (std::size_t i = 0; i < n; ++i)
            ring_[static_cast<std::size_t>(total_ + static_cast<std::int64_t>(i)) & RingMask] = samples[i];
        total_ += static_cast<std::int64_t>(n);
        samples += n;
        count -= n;
        advance();
    }
}

void FramingTracker::advance(std::int64_t n, double& re, double& im) const {
    auto x = [this](std::int64_t k) { return static_cast<double>(sampleAt(k)) - 128.0; };
    const double a0 = x(n - 4), a1 = x(n - 3), a2 = x(n - 2), a3 = x(n - 1), a4 = x(n), a5 = x(n + 1),
                 a6 = x(n + 2), a7 = x(n + 3);
    // Analytic samples n - 1 and n.
    const double r0 = a3, i0 = Hilbert1 * (a2 - a4) + Hilbert3 * (a0 - a6);
    const double r1 = a4, i1 = Hilbert1 * (a3 - a5) + Hilbert3 * (a1 - a7);
    re = r1 * r0 + i1 * i0;
    im = i1 * r0 - r1 * i0;
}

float FramingTracker::breakMeasure(std::int64_t n) const {
    double re, im;
    advance(n, re, im);
    const double magnitude = std::sqrt(re * re + im * im);
    if (!(magnitude > 1e-9)) return 0.0f;
    // One less the cosine of the advance's distance from the band's middle.
    return static_cast<float>(1.0 - (re * centreCos_ + im * centreSin_) / magnitude);
}

void FramingTracker::advance() {
    for (;;) {
        if (locked_) {
            if (total_ < eventAt_) return;
            followFrame();
            continue;
        }
        const std::int64_t last = total_ - 1 - HilbertReach;
        if (processed_ > last) return;
        const std::int64_t boundary = static_cast<std::int64_t>(std::floor(modelStart_ + period_));
        const std::int64_t stop = std::min(last, boundary - 1);
        if (processed_ <= stop) {
            searchSamples(processed_, stop);
            processed_ = stop + 1;
        }
        if (processed_ != boundary) return;
        searchFrameEnd();
    }
}

void FramingTracker::searchSamples(std::int64_t from, std::int64_t to) {
    // The break measure of samples from..to, as breakMeasure works it out,
    // over a plain copy of the samples so that the loop runs vectorised.
    const std::size_t count = static_cast<std::size_t>(to - from + 1);
    scratch_.resize(count + 8);
    for (std::size_t i = 0; i < count + 8; ++i)
        scratch_[i] = static_cast<float>(sampleAt(from - 4 + static_cast<std::int64_t>(i))) - 128.0f;
    measures_.resize(count);
    const float h1 = static_cast<float>(Hilbert1), h3 = static_cast<float>(Hilbert3);
    const float c = static_cast<float>(centreCos_), sn = static_cast<float>(centreSin_);
    const float* x = scratch_.data();
    float* out = measures_.data();
    for (std::size_t i = 0; i < count; ++i) {
        const float* a = x + i;  // a[4] is sample from + i
        const float r0 = a[3], i0 = h1 * (a[2] - a[4]) + h3 * (a[0] - a[6]);
        const float r1 = a[4], i1 = h1 * (a[3] - a[5]) + h3 * (a[1] - a[7]);
        const float re = r1 * r0 + i1 * i0, im = i1 * r0 - r1 * i0;
        const float magnitude = std::sqrt(re * re + im * im);
        out[i] = magnitude > 1e-9f ? 1.0f - (re * c + im * sn) / magnitude : 0.0f;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t bin = static_cast<std::size_t>(from - modelBase_) + i;
        if (bin < fold_.size()) fold_[bin] += foldWeight_ * (out[i] - fold_[bin]);
    }
}

namespace {

// Where in the wrapped fold w (bins + 2 BreakReach + 1 values, bin b at
// b + BreakReach) the break stands out, and whether it stands out enough:
// a rival as strong elsewhere (line starts through a channel that mangles
// the sync bursts, say) means no break is known.
bool foldBreak(const std::vector<double>& w, int bins, double mean, double contrast, double share, double& centre,
               int& peak) {
    double strength = 0;
    locateBreak(w.data(), bins + 2 * BreakReach, mean, centre, strength);
    centre -= BreakReach;
    peak = (static_cast<int>(std::lround(centre)) + bins) % bins;
    double rival = 0, run = 0;
    constexpr int Width = 2 * BreakReach + 1;
    for (int j = 0; j < Width; ++j) run += w[static_cast<std::size_t>(j)];
    for (int b = 0; b < bins; ++b) {
        // run: the fold's bins b - BreakReach .. b + BreakReach.
        int away = std::abs(b - peak);
        away = std::min(away, bins - away);
        if (away >= RivalDistance) rival = std::max(rival, run - Width * mean);
        run += w[static_cast<std::size_t>(b + Width)] - w[static_cast<std::size_t>(b)];
    }
    return strength > contrast && rival < share * strength;
}

}  // namespace

void FramingTracker::searchFrameEnd() {
    const int bins = static_cast<int>(std::min<std::int64_t>(processed_ - modelBase_,
                                                             static_cast<std::int64_t>(fold_.size())));
    // The fold around the frame, wrapped at its ends, and where in it the
    // break stands out.
    double sum = 0;
    for (int b = 0; b < bins; ++b) sum += fold_[static_cast<std::size_t>(b)];
    const double mean = sum / bins;
    wrapped_.resize(static_cast<std::size_t>(bins + 2 * BreakReach + 1));
    for (int b = -BreakReach; b <= bins + BreakReach; ++b)
        wrapped_[static_cast<std::size_t>(b + BreakReach)] = fold_[static_cast<std::size_t>((b + bins) % bins)];
    double centre = 0;
    int peak = 0;
    bool found = mean < SearchFloor && foldBreak(wrapped_, bins, mean, SearchContrast, RivalShare, centre, peak);
    if (!found && mean < SearchFloor) {
        // Line sync bursts a channel has smeared stand out at every line
        // start about as much as the break does. What the 32 line starts
        // share is taken out of each: the fold's average a whole number of
        // lines on. The frame's start, a line start with the phase break
        // beside it, is what is left.
        const double line = SentLineSamples * scale_;
        lineComb_.assign(static_cast<std::size_t>(bins), 0.0);
        for (int l = 0; l < SentLines; ++l) {
            const int shift = static_cast<int>(std::lround(line * l));
            for (int b = 0; b < bins; ++b) {
                int at = b + shift;
                if (at >= bins) at -= bins;
                lineComb_[static_cast<std::size_t>(b)] += fold_[static_cast<std::size_t>(at)];
            }
        }
        for (int b = -BreakReach; b <= bins + BreakReach; ++b) {
            const std::size_t at = static_cast<std::size_t>((b + bins) % bins);
            wrapped_[static_cast<std::size_t>(b + BreakReach)] = fold_[at] - lineComb_[at] / SentLines;
        }
        found = foldBreak(wrapped_, bins, 0.0, LineContrast, LineRivalShare, centre, peak);
    }
    int distance = bins;
    if (lastPeak_ >= 0) {
        distance = std::abs(peak - lastPeak_);
        distance = std::min(distance, bins - distance);
    }
    ++foldedFrames_;
    foldWeight_ = std::max(FoldForget, 1.0f / static_cast<float>(foldedFrames_ + 1));
    lastPeak_ = found ? peak : -1;

    const std::int64_t base = modelBase_;
    modelStart_ += period_;
    modelBase_ = static_cast<std::int64_t>(std::floor(modelStart_));
    if (found && distance <= SearchAgreement) {
        lockAt(static_cast<double>(base) + centre - BreakBias);
        return;
    }
    // The fold follows the frames: bin b stays sample modelBase_ + b.
    starts_.push_back(static_cast<double>(modelBase_));
}

void FramingTracker::lockAt(double breakPosition) {
    locked_ = true;
    lockedAt_ = processed_ + HilbertReach + 1;  // the last sample the search needed
    // The fold lags a drifting break, so its position only aims the first
    // measurements; the fit is made of those alone.
    observations_.clear();
    fitFrame_ = 0;
    fitStart_ = breakPosition;
    fitPeriod_ = period_;
    frame_ = 1;
    missed_ = 0;
    eventAt_ = followEventAt(predictedStart(frame_));
}

void FramingTracker::loseLock(double nextStart) {
    locked_ = false;
    syncPresent_ = false;
    modelStart_ = nextStart;
    modelBase_ = static_cast<std::int64_t>(std::floor(modelStart_));
    processed_ = std::max(modelBase_, total_ - 1 - HilbertReach);
    std::fill(fold_.begin(), fold_.end(), 0.0f);
    foldedFrames_ = 0;
    foldWeight_ = 1;
    lastPeak_ = -1;
    starts_.push_back(static_cast<double>(modelBase_));
}

double FramingTracker::predictedStart(std::int64_t frame) const {
    return fitStart_ + fitPeriod_ * static_cast<double>(frame - fitFrame_);
}

void FramingTracker::refit() {
    // Least squares over the frames measured, about the newest; the period
    // falls back on the running one until two frames far enough apart have
    // been measured.
    const Observation& newest = observations_.back();
    fitFrame_ = newest.frame;
    double sk = 0, ss = 0, skk = 0, sks = 0;
    const double count = static_cast<double>(observations_.size());
    for (const Observation& o : observations_) {
        const double k = static_cast<double>(o.frame - newest.frame);
        const double s = o.start - newest.start;
        sk += k;
        ss += s;
        skk += k * k;
        sks += k * s;
    }
    const double spread = skk - sk * sk / count;
    double slope = period_;
    if (observations_.size() >= 2 && spread > 0) slope = (sks - sk * ss / count) / spread;
    const double limit = nominalPeriod_ * MaxClockError;
    slope = std::clamp(slope, nominalPeriod_ - limit, nominalPeriod_ + limit);
    fitPeriod_ = slope;
    fitStart_ = newest.start + (ss - slope * sk) / count;
    period_ = slope;
}

std::int64_t FramingTracker::followEventAt(double predicted) const {
    // The last line's sync burst and the break window, with the measures'
    // reach beyond them.
    const double lastLine = predicted + scale_ * (1 + SentLineSamples * (SentLines - 1));
    return static_cast<std::int64_t>(std::ceil(lastLine)) + SyncAfter + 2 * HilbertReach + 4;
}

bool FramingTracker::measureBreak(double predicted, double& position) const {
    const std::int64_t centre = std::llround(predicted);
    const int w = window_;
    std::vector<double> m(static_cast<std::size_t>(2 * w + 3));
    for (int j = -w - 1; j <= w + 1; ++j) m[static_cast<std::size_t>(j + w + 1)] = breakMeasure(centre + j);
    double sum = 0;
    for (double v : m) sum += v;
    double centreAt = 0, strength = 0;
    const double floor = locateBreak(m.data(), static_cast<int>(m.size()), sum / static_cast<double>(m.size()),
                                     centreAt, strength);
    if (!(strength > FollowContrast && floor < FollowFloor)) return false;
    position = static_cast<double>(centre - w - 1) + centreAt - BreakBias;
    return true;
}

bool FramingTracker::measureSync(double predicted, double& position) const {
    constexpr int Span = SyncBefore + SyncAfter + 1;
    double folded[Span] = {};
    double all = 0;
    for (int line = 0; line < SentLines; ++line) {
        const std::int64_t start =
            std::llround(predicted + scale_ * (1 + SentLineSamples * line));
        for (int j = 0; j < Span; ++j) {
            double re, im;
            advance(start - SyncBefore + j, re, im);
            const double magnitude = std::sqrt(re * re + im * im);
            if (!(magnitude > 1e-9)) continue;
            // One less the cosine of the distance from the burst's advance,
            // about half the distance squared: 1 on the burst, 0 at SyncBand.
            const double away = 1.0 - (re * syncCos_ + im * syncSin_) / magnitude;
            const double likeness = std::max(0.0, 1.0 - away / (1.0 - std::cos(SyncBand)));
            folded[j] += likeness;
            all += likeness;
        }
    }
    // The box of the burst's width that holds the most sync-like advances.
    constexpr int Boxes = Span - SyncWidth + 1;
    double boxes[Boxes];
    for (int t = 0; t < Boxes; ++t) {
        boxes[t] = 0;
        for (int j = 0; j < SyncWidth; ++j) boxes[t] += folded[t + j];
    }
    int at = 0;
    const double peak = refinedPeak(boxes, Boxes, at);
    const double inside = boxes[at] / (SyncWidth * SentLines);
    const double outside = (all - boxes[at]) / ((Span - SyncWidth) * SentLines);
    if (!(inside - outside > SyncContrast)) return false;
    // Box t covers line positions t - SyncBefore .. + 3; the burst starts at
    // the line's first sample.
    position = predicted + (peak - SyncBefore) - SyncBias;
    return true;
}

void FramingTracker::followFrame() {
    const double predicted = predictedStart(frame_);
    double breakAt = 0, syncAt = 0;
    const bool haveBreak = measureBreak(predicted, breakAt);
    syncPresent_ = measureSync(predicted, syncAt);
    // The break places the frame to a tenth of a sample on a clean signal;
    // the bursts, smeared by the filters, keep it placed while the break
    // is lost in noise.
    bool measured = haveBreak || syncPresent_;
    const double at = haveBreak ? breakAt : syncAt;
    const double tolerance = observations_.size() >= 3 ? FollowTolerance : window_;
    if (measured && std::abs(at - predicted) > tolerance) measured = false;
    if (measured) {
        observations_.push_back({frame_, at});
        while (observations_.size() > FittedFrames) observations_.pop_front();
        refit();
        missed_ = 0;
    } else {
        ++missed_;
    }
    const double start = predictedStart(frame_);
    starts_.push_back(start);
    if (missed_ >= MissesToLose) {
        loseLock(start + period_);
        return;
    }
    ++frame_;
    eventAt_ = followEventAt(predictedStart(frame_));
}

}  // namespace rx
