#include "viewer/FramingTracker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/SignalFormat.h"

namespace rx {

namespace {

// The sender's signal at its own rate.
constexpr double SentRate = nbtv::SignalRate;
constexpr double SentFrameSamples = nbtv::FrameSamples;
constexpr double SentLineSamples = nbtv::LineSamples;
constexpr int SentLines = nbtv::LinesPerFrame;
constexpr double BlackHz = nbtv::BlackToneHz, SyncHz = nbtv::SyncToneHz;

// A four-term Hilbert transformer, its two taps fitted so that the gain is
// 1 within 1% over 1700..3000 Hz at 10000 samples per second.
constexpr double Hilbert1 = 0.576, Hilbert3 = 0.076;
constexpr int HilbertReach = 3;

// Searching: how close two frames' breaks must agree, and the steps of
// the periods tried.
constexpr int SearchAgreement = 16;
// Lock is taken on a fold of at least this many frames.
constexpr int LockFrames = 3;
constexpr double PeriodStep = 0.5;
// Following: the fold of the last frames about the predicted break, over
// periods in these steps about the running one; what makes a break in it;
// how much of a new period is taken each frame; how many frames without
// break or bursts lose the lock.
constexpr double FollowStep = 0.125;
constexpr int FollowSteps = 8;
constexpr double FollowContrast = 0.12, FollowFloor = 0.4, FollowOverFloor = 2;
// Where the tone is weaker than this share of its average size, its
// phase counts for less.
constexpr double WeakShare = 0.5;
// No sample's measure counts for more than this: a click (the phase
// slipping a whole turn in noise) must not outweigh a frame's break.
constexpr double MeasureClip = 0.3;
// A tone's break measure averages between these.
constexpr double ToneFloor = 0.002, NoiseFloor = 0.4;
constexpr double PeriodGain = 0.25;
// A fold standing out this much over FollowContrast is taken as it is.
constexpr double TrustedContrast = 0.1;
constexpr int MissesToLose = 8;

// Sync bursts: the reach of the search about each line start, the advance
// band that counts as sync and the contrast that makes them present.
constexpr int SyncBefore = 6, SyncAfter = 9, SyncWidth = 4;
constexpr double SyncBand = 0.2, SyncContrast = 0.35;
// The period is held within this fraction of the nominal one.
constexpr double MaxClockError = 0.0006;
// Where the break's centroid stands against the frame's true start, and
// the sync box against the line's first sample. The folded break stands
// about half a sample late on a direct line and nearly a sample early
// through a voice channel's band-pass; starts are placed for the channel,
// the way a radio hears them. The sync box was found on clean signals from
// the transmitter's synthesis.
constexpr double BreakBias = -0.6, SyncBias = 0.7;

// The peak of s[0..n) (n >= 3), refined by a parabola through it and its
// neighbours.
double refinedPeak(const double* s, int n, int& at) {
    at = static_cast<int>(std::max_element(s, s + n) - s);
    if (at == 0 || at == n - 1) return at;
    const double a = s[at - 1], b = s[at], c = s[at + 1];
    const double curve = a - 2 * b + c;
    return curve < 0 ? at + 0.5 * (a - c) / curve : at;
}

// Whether samples whose break measures add up to `sum` hold a tone: a tone
// keeps the measure low, noise alone spreads it about 1, silence gives 0.
bool toneHeard(double sum, std::int64_t count) {
    const double mean = count > 0 ? sum / static_cast<double>(count) : 0.0;
    return mean > ToneFloor && mean < NoiseFloor;
}

}  // namespace

FramingTracker::FramingTracker(int sampleRate) { reset(sampleRate); }

void FramingTracker::reset(int sampleRate) {
    sampleRate_ = sampleRate > 0 ? sampleRate : nbtv::SignalRate;
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
    search_.reset(nominalPeriod_ * (1 + MaxClockError), SentLineSamples * scale_, SentLines);
    restartSearch();
    level_ = 0;
    frame_ = 0;
    eventAt_ = 0;
    fitStart_ = 0;
    fitFrame_ = 0;
    followedFrames_ = 0;
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
    double magnitude = 0;
    return breakMeasure(n, magnitude);
}

float FramingTracker::breakMeasure(std::int64_t n, double& magnitude) const {
    double re, im;
    advance(n, re, im);
    magnitude = std::sqrt(re * re + im * im);
    if (!(magnitude > 1e-9)) return 0.0f;
    // One less the cosine of the advance's distance from the band's middle,
    // weighed down where the tone is weak (where a channel's band-pass
    // swallows the line sync bursts, say) and its phase mostly noise.
    return static_cast<float>(
        std::min(MeasureClip, (magnitude - (re * centreCos_ + im * centreSin_)) / std::max<double>(magnitude, level_)));
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
    const float level = level_, clip = static_cast<float>(MeasureClip);
    const float* x = scratch_.data();
    float* out = measures_.data();
    magnitudes_.resize(count);
    float* size = magnitudes_.data();
    for (std::size_t i = 0; i < count; ++i) {
        const float* a = x + i;  // a[4] is sample from + i
        const float r0 = a[3], i0 = h1 * (a[2] - a[4]) + h3 * (a[0] - a[6]);
        const float r1 = a[4], i1 = h1 * (a[3] - a[5]) + h3 * (a[1] - a[7]);
        const float re = r1 * r0 + i1 * i0, im = i1 * r0 - r1 * i0;
        const float magnitude = std::sqrt(re * re + im * im);
        size[i] = magnitude;
        out[i] = magnitude > 1e-9f ? std::min(clip, (magnitude - (re * c + im * sn)) / std::max(magnitude, level)) : 0.0f;
    }
    for (std::size_t i = 0; i < count; ++i) {
        search_.put(from + static_cast<std::int64_t>(i), out[i]);
        frameMeasure_ += out[i];
        frameMagnitude_ += size[i];
    }
    frameSamples_ += static_cast<std::int64_t>(count);
}

void FramingTracker::searchFrameEnd() {
    // The break folded over the frames searched so far, for the periods a
    // clock error allows; found in the same place two frames running, it
    // gives the lock. A frame without a tone (silence, or noise alone)
    // starts the fold afresh.
    const bool tone = toneHeard(frameMeasure_, frameSamples_);
    if (frameSamples_ > 0) level_ = static_cast<float>(WeakShare * frameMagnitude_ / static_cast<double>(frameSamples_));
    frameMeasure_ = 0;
    frameMagnitude_ = 0;
    frameSamples_ = 0;
    searchedFrames_ = tone ? searchedFrames_ + 1 : 0;
    const int bins = static_cast<int>(std::ceil(period_));
    const double step = PeriodStep * scale_;
    const int reach = static_cast<int>(std::ceil(nominalPeriod_ * MaxClockError / step));
    FramingSearch::Found found;
    if (searchedFrames_ > 0)
        found = search_.search(processed_ - FramingSearch::RunReach, bins, searchedFrames_, period_, step, reach);
    const bool agrees = found.found && haveFound_ && searchedFrames_ >= LockFrames &&
                        std::abs(std::remainder(found.position - lastFound_, found.period)) <= SearchAgreement;
    haveFound_ = found.found;
    lastFound_ = found.position;

    const std::int64_t lastQueued = modelBase_;
    modelStart_ += period_;
    modelBase_ = static_cast<std::int64_t>(std::floor(modelStart_));
    if (agrees) {
        const double limit = nominalPeriod_ * MaxClockError;
        // The frame that starts at the break is cut too when it starts
        // after the one already queued.
        if (found.position > static_cast<double>(lastQueued) + 1) starts_.push_back(found.position - BreakBias);
        lockAt(found.position - BreakBias, std::clamp(found.period, nominalPeriod_ - limit, nominalPeriod_ + limit));
        return;
    }
    // Frames follow at the running period meanwhile.
    starts_.push_back(static_cast<double>(modelBase_));
}

void FramingTracker::lockAt(double breakPosition, double period) {
    locked_ = true;
    lockedAt_ = processed_ + HilbertReach + 1;  // the last sample the search needed
    fitFrame_ = 0;
    fitStart_ = breakPosition;
    period_ = period;
    // The search's measure of the frames it folded stays with the follower.
    followedFrames_ = std::min(searchedFrames_, FramingSearch::FoldFrames);
    clearFrameMeasure();
    frame_ = 1;
    missed_ = 0;
    eventAt_ = followEventAt(predictedStart(frame_));
}

void FramingTracker::restartSearch() {
    search_.restart(processed_);
    searchedFrames_ = 0;
    clearFrameMeasure();
}

void FramingTracker::clearFrameMeasure() {
    haveFound_ = false;
    frameMeasure_ = 0;
    frameMagnitude_ = 0;
    frameSamples_ = 0;
}

void FramingTracker::loseLock(double nextStart) {
    locked_ = false;
    syncPresent_ = false;
    modelStart_ = nextStart;
    modelBase_ = static_cast<std::int64_t>(std::floor(modelStart_));
    processed_ = std::max(modelBase_, total_ - 1 - HilbertReach);
    restartSearch();
    starts_.push_back(static_cast<double>(modelBase_));
}

double FramingTracker::predictedStart(std::int64_t frame) const {
    return fitStart_ + period_ * static_cast<double>(frame - fitFrame_);
}

std::int64_t FramingTracker::followEventAt(double predicted) const {
    // The last line's sync burst and the break window, with the measures'
    // reach beyond them.
    const double lastLine = predicted + scale_ * (1 + SentLineSamples * (SentLines - 1));
    return static_cast<std::int64_t>(std::ceil(lastLine)) + SyncAfter + 2 * HilbertReach + 4;
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
    // The break measure about the predicted start, for the fold of the
    // frames followed: wide enough for the fold's periods to reach back.
    // It also tells whether this frame holds a tone, and how strong.
    const std::int64_t centre = std::llround(predicted);
    const std::int64_t margin =
        window_ + static_cast<std::int64_t>(std::ceil(FollowSteps * FollowStep * scale_ * FramingSearch::FoldFrames));
    double heard = 0, loudness = 0;
    std::int64_t measured = 0;
    for (std::int64_t n = centre - margin - 2 * FramingSearch::RunReach; n <= centre + margin + FramingSearch::RunReach;
         ++n, ++measured) {
        double magnitude = 0;
        const float m = breakMeasure(n, magnitude);
        search_.put(n, m);
        heard += m;
        loudness += magnitude;
    }
    const bool tone = toneHeard(heard, measured);
    level_ = static_cast<float>(WeakShare * loudness / static_cast<double>(measured));
    followedFrames_ = std::min(followedFrames_ + 1, FramingSearch::FoldFrames);
    double floor = 0;
    const FramingSearch::Found fold =
        search_.follow(predicted, window_, followedFrames_, period_, FollowStep * scale_, FollowSteps, floor);
    // The fold remembers a break for some frames after the tone has gone;
    // this frame must hold a tone itself.
    const bool haveBreak = tone && fold.score > FollowContrast &&
                           fold.score > FollowOverFloor * floor && floor < FollowFloor;
    double syncAt = 0;
    syncPresent_ = measureSync(predicted, syncAt);
    // The break, folded over the last frames along the period that gathers
    // it best, places this frame; the bursts, smeared by the filters, keep
    // it placed while the break is lost in noise.
    double start = predicted;
    if (haveBreak) {
        // A fold that barely holds the break moves the frame less: in
        // noise its place and period are mostly the noise's.
        const double trust = std::min(1.0, (fold.score - FollowContrast) / TrustedContrast);
        start = predicted + trust * (fold.position - BreakBias - predicted);
        const double limit = nominalPeriod_ * MaxClockError;
        period_ = std::clamp(period_ + trust * PeriodGain * (fold.period - period_), nominalPeriod_ - limit,
                             nominalPeriod_ + limit);
        missed_ = 0;
    } else if (syncPresent_) {
        start = syncAt;
        missed_ = 0;
    } else {
        ++missed_;
    }
    fitStart_ = start;
    fitFrame_ = frame_;
    starts_.push_back(start);
    if (missed_ >= MissesToLose) {
        loseLock(start + period_);
        return;
    }
    ++frame_;
    eventAt_ = followEventAt(predictedStart(frame_));
}

}  // namespace rx
