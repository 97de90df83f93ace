#include "viewer/FramingFollow.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/SignalFormat.h"
#include "viewer/FramingMeasures.h"
#include "viewer/LineGrid.h"

namespace rx {

namespace {

// The break's fold about the expected start is read this many sender
// samples wider each way than the break is looked for, so that frames the
// loop has since moved still line up.
constexpr double WindowMarginSamples = 12;
// Where it is looked for, a break half as high as the search needs is
// taken.
constexpr float FollowFloor = 0.075f;
// Without line sync, where the break does not stand outside the tones'
// arc, its turn against the neighbouring lines is looked for in the same
// fold; taken when as clear as the search needs it.
constexpr double FollowTurnClear = 1.0;
// The frame holds a tone when the run phasors of a stretch in the middle of
// a line (clear of the bursts) mostly turn within the tones' arc and are
// not silent: ToneSamples sender samples from ToneAt on.
constexpr double ToneShare = 0.5;
constexpr double SilentSize = 1;
constexpr double ToneAt = 1 + nbtv::LineSamples * (nbtv::LinesPerFrame / 2) + nbtv::LineSamples / 4;
constexpr double ToneSamples = nbtv::LineSamples / 2;
// The break's fold is tried at periods up to this many of the search's
// steps either side of the loop's.
constexpr int FollowSteps = 4;
// The bursts are there when the run at the burst's place turns this much
// beyond white in this share of the lines.
constexpr double BeyondWhite = 12 * std::numbers::pi / 180;
constexpr double BurstLines = 0.75;
// The tones beside a burst are read over this many sender samples.
constexpr double ToneBesideSamples = 4;
// Once followed, the bursts and the break stand within a fraction of a
// sample of where the loop expects them; further than this many sender
// samples, the frames have moved (a stretch of sound lost on the way) and
// the bursts found may be another line's, or the break was placed by
// something else in the window (a faint restart smeared wide at 15 dB
// measured frame by frame a few samples either way, and the loop wandered
// after it).
constexpr double MovedSamples = 3;

// A burst's weight is read this far either side of where the grid puts
// it; the tones beside it, over `toneBesideSpan` runs from a run past
// either rough edge, which may lie at the ends of that reach.
int burstWeightReach(const FramingParameters& p) { return p.burstReach + p.run + p.burstSamples; }
std::int64_t toneBesideSpan(const FramingParameters& p) { return std::llround(ToneBesideSamples * p.scale); }

// The run phasors held (and their sizes) of the last `frames` frames,
// `period` samples apart, summed at places first + b for b in 0..count - 1
// where `wanted(b)` holds; the sum of the sizes summed there.
template <class Wanted>
double foldFrames(const FramingSearch& runs, std::int64_t first, int count, int frames, double period, Wanted wanted,
                  std::vector<std::complex<float>>& folded, std::vector<float>& sizes) {
    std::fill(folded.begin(), folded.end(), std::complex<float>{});
    std::fill(sizes.begin(), sizes.end(), 0.0f);
    double total = 0;
    for (int b = 0; b < count; ++b) {
        if (!wanted(b)) continue;
        const std::size_t i = static_cast<std::size_t>(b);
        for (int j = 0; j < frames; ++j) {
            const std::int64_t at = first + b - std::llround(j * period);
            folded[i] += runs.runAt(at);
            sizes[i] += runs.sizeAt(at);
        }
        total += sizes[i];
    }
    return total;
}

}  // namespace

void FramingFollow::lock(double start, double period, bool sync, double whiteLowered) {
    start_ = start;
    period_ = period;
    sync_ = sync;
    beyondWhite_ = p_.beyondWhite * std::polar(1.0f, static_cast<float>(whiteLowered));
    // The search measured every sample of the frames before.
    followed_ = p_.foldFrames - 1;
}

void FramingFollow::windows(std::vector<std::pair<std::int64_t, std::int64_t>>& out) const {
    out.clear();
    const double expected = expectedStart();
    const std::int64_t breakRun = std::llround(expected - 0.5 * p_.run - 0.5 * p_.scale);
    const std::int64_t reach = p_.followReach + std::llround(WindowMarginSamples * p_.scale);
    out.emplace_back(breakRun - reach, breakRun + reach);
    if (!sync_) {
        // The same places a line before and after, for the break's turn
        // against the neighbouring lines.
        const std::int64_t line = std::llround(p_.linePeriod * period_ / p_.nominalPeriod);
        for (const std::int64_t side : {-line, line}) out.emplace_back(breakRun + side - reach - 1, breakRun + side + reach + 1);
    }
    const std::int64_t tone = std::llround(expected + ToneAt * p_.scale);
    out.emplace_back(tone, tone + std::llround(ToneSamples * p_.scale));
    if (!sync_) return;
    // Each burst's window, and the tones read beside it.
    const double line = p_.linePeriod * period_ / p_.nominalPeriod;
    const std::int64_t burstReach = burstWeightReach(p_) + p_.run + toneBesideSpan(p_) - 1;
    for (int k = 0; k < p_.lines; ++k) {
        const std::int64_t centre = std::llround(expected + burstPlace(p_) + k * line);
        out.emplace_back(centre - burstReach, centre + burstReach);
    }
}

bool FramingFollow::toneHeard(const FramingSearch& runs, double expected) const {
    const std::int64_t first = std::llround(expected + ToneAt * p_.scale);
    const std::int64_t last = first + std::llround(ToneSamples * p_.scale);
    double along = 0, heard = 0;
    for (std::int64_t n = first; n <= last; ++n) {
        along += (runs.runAt(n) * std::conj(p_.arcCentre)).real();
        heard += runs.sizeAt(n);
    }
    return heard > SilentSize * static_cast<double>(last - first + 1) && along > ToneShare * heard;
}

double FramingFollow::breakError(const FramingSearch& runs, double expected, double& confidence, double& period) const {
    // The fold of the last frames about the expected break, at periods about
    // the loop's: the one where the break stands highest places it.
    const std::int64_t breakRun = std::llround(expected - 0.5 * p_.run - 0.5 * p_.scale);
    const int reach = p_.followReach;
    const int bins = 2 * reach + 1;
    const int frames = std::min(followed_ + 1, p_.foldFrames);
    std::vector<std::complex<float>> folded(static_cast<std::size_t>(bins));
    std::vector<float> sizes(static_cast<std::size_t>(bins)), profile(static_cast<std::size_t>(bins));
    Peak best;
    period = period_;
    for (int k = -FollowSteps; k <= FollowSteps; ++k) {
        const double trial = period_ + k * p_.periodStep;
        const double total = foldFrames(runs, breakRun - reach, bins, frames, trial, [](int) { return true; }, folded, sizes);
        const float weak = static_cast<float>(p_.weakShare * total / bins);
        for (int b = 0; b < bins; ++b)
            profile[static_cast<std::size_t>(b)] =
                breakMeasure(folded[static_cast<std::size_t>(b)], sizes[static_cast<std::size_t>(b)], weak, toneArc(p_));
        const Peak peak = strongestPeak(profile.data(), bins, bins, false);
        if (peak.height > best.height) {
            best = peak;
            period = trial;
        }
    }
    // A peak at the window's edge may be the slope of something outside it.
    const bool inside = best.at > 0 && best.at < bins - 1;
    confidence = inside ? best.height / FollowFloor : 0;
    const double start = static_cast<double>(breakRun - reach) + best.position + 0.5 * p_.run + 0.5 * p_.scale;
    return start - expected;
}

double FramingFollow::turnError(const FramingSearch& runs, double expected, double& confidence) const {
    // The fold of the last frames over the break's window, and over the
    // same window a line either side, at periods about the loop's: the
    // turn is measured over the whole window, so that its peak's width can
    // be, and looked for within the break's reach. The clearest peak
    // places the start.
    const std::int64_t breakRun = std::llround(expected - 0.5 * p_.run - 0.5 * p_.scale);
    const int window = p_.followReach + static_cast<int>(std::llround(WindowMarginSamples * p_.scale));
    const double linePeriod = p_.linePeriod * period_ / p_.nominalPeriod;
    const int line = static_cast<int>(std::lround(linePeriod));
    const int margin = line + 1;
    const int bins = 2 * window + 1, span = bins + 2 * margin;
    const int aside = window - p_.followReach;
    const int frames = std::min(followed_ + 1, p_.foldFrames);
    const std::int64_t first = breakRun - window - margin;
    std::vector<std::complex<float>> folded(static_cast<std::size_t>(span));
    std::vector<float> sizes(static_cast<std::size_t>(span)), profile(static_cast<std::size_t>(span));
    confidence = 0;
    double start = expected;
    for (int k = -FollowSteps; k <= FollowSteps; ++k) {
        const double trial = period_ + k * p_.periodStep;
        // Only the window and the places a line either side are read; the
        // window's own places weigh the tone.
        const auto nearWindow = [&](int b) {
            const int fromMiddle = std::abs(b - margin - window);
            return fromMiddle <= window || std::abs(fromMiddle - line) <= window + 1;
        };
        foldFrames(runs, first, span, frames, trial, nearWindow, folded, sizes);
        double total = 0;
        for (int b = margin; b < margin + bins; ++b) total += sizes[static_cast<std::size_t>(b)];
        const float weak = static_cast<float>(p_.weakShare * total / bins);
        turnProfile(folded.data(), sizes.data(), span, margin, bins, linePeriod, weak, profile.data());
        const float* turn = profile.data() + margin;
        Peak peak = strongestPeak(turn + aside, 2 * p_.followReach + 1, bins, false);
        if (peak.at <= 0 || peak.at >= 2 * p_.followReach) continue;  // the slope of something outside
        peak.at += aside;
        peak.position += aside;
        const double width = peakWidth(turn, bins, peak, std::min(p_.peakExclusion, aside));
        const double clearness = turnClearness(peak, width, p_.scale) / FollowTurnClear;
        if (clearness > confidence) {
            confidence = clearness;
            start = static_cast<double>(breakRun - window) + halfHeightMiddle(turn, bins, peak) + 0.5 * p_.run + 0.5 * p_.scale;
        }
    }
    return start - expected;
}

bool FramingFollow::burstError(const FramingSearch& runs, double expected, double& error) const {
    // The newest frame's bursts about where the grid puts each line's: the
    // median of where their middles stand against that. (The frame's first
    // burst, whose front the restart moves, is one of 32.)
    const double line = p_.linePeriod * period_ / p_.nominalPeriod;
    const int reach = burstWeightReach(p_);
    const int width = 2 * reach + 1;
    const double edgePlace = burstPlace(p_), middlePlace = burstMiddlePlace(p_);
    double meanSize = 0;
    for (int k = 0; k < p_.lines; ++k) {
        const std::int64_t centre = std::llround(expected + edgePlace + k * line);
        for (int o = -reach; o <= reach; ++o) meanSize += runs.sizeAt(centre + o);
    }
    meanSize /= p_.lines * width;
    std::vector<double> offsets;
    offsets.reserve(static_cast<std::size_t>(p_.lines));
    std::vector<float> w(static_cast<std::size_t>(width));
    std::vector<std::complex<float>> turned(static_cast<std::size_t>(width));
    std::vector<float> turn(static_cast<std::size_t>(width));
    const std::int64_t toneSpan = toneBesideSpan(p_);
    for (int k = 0; k < p_.lines; ++k) {
        const std::int64_t centre = std::llround(expected + edgePlace + k * line), first = centre - reach;
        double furthest = 0;
        for (int o = 0; o < width; ++o) {
            const std::complex<float> turnedRun = runs.runAt(first + o) * beyondWhite_;
            turned[static_cast<std::size_t>(o)] = turnedRun;
            const double beyond = turnedBeyondWhite(turnedRun);
            // The turn is known where it is beyond white (and so above 0).
            turn[static_cast<std::size_t>(o)] = beyond > 0 ? static_cast<float>(beyond) : std::numeric_limits<float>::quiet_NaN();
            w[static_cast<std::size_t>(o)] = static_cast<float>(burstWeight(beyond, runs.sizeAt(first + o), meanSize));
            furthest = std::max(furthest, beyond);
        }
        if (furthest <= BeyondWhite) continue;
        // The weight finds the burst and its edges roughly; the tones
        // beside it, read from a run past either edge, set the levels the
        // burst's turn falls half way to. The middle between the two turns'
        // edges places the burst.
        const BurstEdges rough = burstEdges(w.data(), width);
        const std::int64_t afterFrom = first + std::llround(rough.back) + p_.run;
        const std::int64_t beforeFrom = first + std::llround(rough.front) - p_.run - toneSpan + 1;
        std::complex<float> after = 0, before = 0;
        for (std::int64_t n = 0; n < toneSpan; ++n) {
            after += runs.runAt(afterFrom + n);
            before += runs.runAt(beforeFrom + n);
        }
        const double back = burstTurnEdge(turned.data(), turn.data(), width, rough.top, fastArg(after * beyondWhite_), rough.back);
        const double front = burstTurnEdge(turned.data(), turn.data(), width, rough.top, fastArg(before * beyondWhite_), rough.front, false);
        offsets.push_back(static_cast<double>(first) + 0.5 * (front + back) - (expected + middlePlace + k * line));
    }
    if (offsets.size() < BurstLines * p_.lines) return false;
    std::nth_element(offsets.begin(), offsets.begin() + static_cast<long>(offsets.size() / 2), offsets.end());
    error = offsets[offsets.size() / 2];
    return true;
}

FramingFollow::Step FramingFollow::follow(const FramingSearch& runs) {
    Step step;
    const double expected = expectedStart();
    double error = 0, confidence = 0;
    step.tone = toneHeard(runs, expected);
    double burstAt = 0;
    step.bursts = sync_ && burstError(runs, expected, burstAt);
    // The break is folded only where the bursts do not place the frame.
    double breakPeriod = period_;
    double breakAt = step.bursts ? 0.0 : breakError(runs, expected, confidence, breakPeriod);
    if (!sync_ && confidence < 1) {
        double turnConfidence = 0;
        const double turnAt = turnError(runs, expected, turnConfidence);
        if (turnConfidence >= 1) {
            breakAt = turnAt;
            confidence = turnConfidence;
        }
    }
    if (step.bursts) {
        // Bursts that moved place nothing: the frame is looked for afresh.
        step.moved = std::abs(burstAt) > MovedSamples * p_.scale;
        error = burstAt;
        step.measured = !step.moved;
        step.confidence = step.moved ? 0 : 1;
    } else if (confidence >= 1) {
        // Nor does a break that moved.
        step.moved = std::abs(breakAt) > MovedSamples * p_.scale;
        error = breakAt;
        step.measured = !step.moved;
        step.confidence = step.moved ? 0 : confidence;
    } else {
        step.confidence = confidence;
    }
    if (step.measured) {
        start_ = expected + p_.phaseGain * error;
        const double nominal = p_.nominalPeriod;
        period_ = std::clamp(period_ + p_.periodGain * error, nominal - p_.maxPeriodError, nominal + p_.maxPeriodError);
    } else {
        start_ = expected;
    }
    followed_ = std::min(followed_ + 1, p_.foldFrames);
    step.start = start_;
    return step;
}

}  // namespace rx
