#include "viewer/FramingSearch.h"

#include <algorithm>
#include <cmath>

#include "core/SignalFormat.h"
#include "viewer/FramingMeasures.h"
#include "viewer/LineGrid.h"

namespace rx {

namespace {

// What makes the break clear: its peak, once the line-periodic part is
// taken out, is at least BreakFloor high, RivalRatio times anything else in
// the frame and BreakSigmas deviations above the frame's mean.
constexpr float BreakFloor = 0.25f;
constexpr float RivalRatio = 2.0f;
constexpr float BreakSigmas = 8.0f;
// The break lies on the grid when it puts the start this many sender
// samples from a line's start at most.
constexpr double AgreeSamples = 3;
// Of a break and a grid that disagree, one this many times clearer than the
// other is taken.
constexpr double Outweighs = 2;
// A break half as clear as a lock needs, on the grid at another line than
// the grid's own, is enough to doubt the grid.
constexpr double BreakVeto = 0.5;

double breakConfidence(const Peak& peak) {
    if (peak.at < 0 || !(peak.height > 0)) return 0;
    const double overFloor = peak.height / BreakFloor;
    const double overRival = peak.rival > 0 ? peak.height / (RivalRatio * peak.rival) : overFloor;
    const double overNoise = peak.deviation > 0 ? (peak.height - peak.mean) / (BreakSigmas * peak.deviation) : overFloor;
    return std::min({overFloor, overRival, overNoise});
}

}  // namespace

void FramingSearch::reset(const FramingParameters& p) {
    p_ = p;
    std::size_t size = 1;
    const double held = (p.foldFrames + 2) * (p.nominalPeriod + p.maxPeriodError) + 2 * p.followReach;
    while (static_cast<double>(size) < held) size *= 2;
    mask_ = size - 1;
    runs_.assign(size, {});
    sizes_.assign(size, 0.0f);
    from_ = 0;
}

void FramingSearch::restart(std::int64_t from) { from_ = from; }

void FramingSearch::breakProfile(const Fold& fold, int bins, std::vector<float>& profile) const {
    double total = 0;
    for (int b = 0; b < bins; ++b) total += fold.sizes[static_cast<std::size_t>(b)];
    const float weak = static_cast<float>(p_.weakShare * total / bins);
    const ToneArc arc = toneArc(p_);
    profile.resize(static_cast<std::size_t>(bins));
    for (int b = 0; b < bins; ++b) {
        const std::size_t i = static_cast<std::size_t>(b);
        profile[i] = breakMeasure(fold.runs[i], fold.sizes[i], weak, arc);
    }
}

FoldFinding FramingSearch::search(std::int64_t end, double period, int frames) {
    FoldFinding found;
    frames = std::clamp(frames, 1, p_.foldFrames);
    // The fold spans a frame and a margin of a line and a little either
    // side, so that a place's neighbours a line away, and the bursts a
    // period on, are read in the fold itself.
    const int margin = static_cast<int>(std::ceil(p_.linePeriod)) + p_.burstReach + 2 * p_.run + 2;
    const int frameBins = static_cast<int>(std::ceil(p_.nominalPeriod + p_.maxPeriodError));
    const int bins = frameBins + 2 * margin;
    const std::int64_t first = end - bins;
    // The runs the folds read, copied out of the ring once.
    const double longest = period + p_.periodSteps * p_.periodStep;
    const std::int64_t lo = first - static_cast<std::int64_t>(std::llround((frames - 1) * longest)) - 1;
    recentRuns_.resize(static_cast<std::size_t>(end - lo + 1));
    recentSizes_.resize(recentRuns_.size());
    for (std::int64_t n = lo; n <= end; ++n) {
        recentRuns_[static_cast<std::size_t>(n - lo)] = runAt(n);
        recentSizes_[static_cast<std::size_t>(n - lo)] = sizeAt(n);
    }

    // Every period: the break's peak within one frame once the
    // line-periodic part is out, and how alike the frames fold.
    double bestBreak = -1, bestCoherence = -1;
    Peak breakPeak;
    for (int k = -p_.periodSteps; k <= p_.periodSteps; ++k) {
        const double trial = period + k * p_.periodStep;
        const std::int64_t trialLo = first - static_cast<std::int64_t>(std::llround((frames - 1) * trial));
        if (trialLo < lo) continue;
        Fold& f = work_;
        f.runs.assign(static_cast<std::size_t>(bins), {});
        f.sizes.assign(static_cast<std::size_t>(bins), 0.0f);
        for (int j = 0; j < frames; ++j) {
            const std::int64_t from = first - std::llround(j * trial);
            const std::complex<float>* runs = recentRuns_.data() + (from - lo);
            const float* sizes = recentSizes_.data() + (from - lo);
            for (int b = 0; b < bins; ++b) {
                f.runs[static_cast<std::size_t>(b)] += runs[b];
                f.sizes[static_cast<std::size_t>(b)] += sizes[b];
            }
        }
        const int inFrame = static_cast<int>(std::floor(trial));
        double together = 0, apart = 0;
        for (int b = margin; b < margin + inFrame; ++b) {
            together += std::abs(f.runs[static_cast<std::size_t>(b)]);
            apart += f.sizes[static_cast<std::size_t>(b)];
        }
        const double coherence = apart > 0 ? together / apart : 0;
        breakProfile(f, bins, profile_);
        lineFree_.assign(profile_.size(), 0.0f);
        takeOutLines(profile_.data(), bins, margin, inFrame, p_.linePeriod * trial / p_.nominalPeriod, lineFree_.data());
        Peak peak = strongestPeak(lineFree_.data() + margin, inFrame, p_.peakExclusion, true);
        peak.position += margin;
        if (peak.height - peak.rival > bestBreak) {
            bestBreak = peak.height - peak.rival;
            breakPeak = peak;
        }
        if (coherence > bestCoherence) {
            bestCoherence = coherence;
            found.period = trial;
            std::swap(best_, work_);
        }
    }
    found.coherence = std::max(0.0, bestCoherence);

    // The break: a run phasor centred on its turn; the turn at the restart
    // spans the sender's sample before the frame's first.
    found.breakConfidence = breakConfidence(breakPeak);
    found.breakStart = static_cast<double>(first) + breakPeak.position + 0.5 * p_.run + 0.5 * p_.scale;

    // The line sync grid, in the fold that lines the frames up best.
    const LineGrid grid = measureLineGrid(best_.runs.data(), best_.sizes.data(), bins, margin, found.period, p_);
    found.syncPresent = grid.present;
    found.gridConfidence = grid.confidence;
    found.gridStart = static_cast<double>(first) + grid.start;

    const bool breakClear = found.breakConfidence >= 1, gridClear = found.gridConfidence >= 1;
    auto apart = [&](double a, double b) { return std::abs(std::remainder(a - b, found.period)); };
    if (grid.present) {
        // The line start nearest the break: the grid places it to a
        // fraction of a sample, the break tells the line.
        const double line = p_.linePeriod * found.period / p_.nominalPeriod;
        double nearest = found.gridStart;
        for (int k = 1; k < p_.lines; ++k) {
            const double at = found.gridStart + k * line;
            if (apart(found.breakStart, at) < apart(found.breakStart, nearest)) nearest = at;
        }
        const bool breakOnGrid = breakClear && apart(found.breakStart, nearest) <= AgreeSamples * p_.scale;
        const bool sameLine = breakOnGrid && apart(nearest, found.gridStart) < 1;
        // Where both are clear but tell different lines, the one far
        // clearer than the other is taken; else neither.
        const bool breakSeen = found.breakConfidence >= BreakVeto && apart(found.breakStart, nearest) <= AgreeSamples * p_.scale;
        const bool gridWins = gridClear && (!breakSeen || sameLine || found.gridConfidence >= Outweighs * found.breakConfidence);
        const bool breakWins = breakOnGrid && !gridWins && (!gridClear || found.breakConfidence >= Outweighs * found.gridConfidence);
        if (gridWins) {
            found.clear = true;
            found.start = found.gridStart;
            found.confidence = std::max(found.gridConfidence, sameLine ? found.breakConfidence : 0.0);
        } else if (breakWins) {
            found.clear = true;
            found.start = nearest;
            found.confidence = found.breakConfidence;
        } else {
            // Nothing clear, or the two disagree.
            found.start = found.gridStart;
            found.confidence = gridClear && breakClear ? 0 : std::max(found.gridConfidence, found.breakConfidence);
        }
    } else {
        found.clear = breakClear;
        found.start = found.breakStart;
        found.confidence = found.breakConfidence;
    }
    // The start in the newest frame.
    while (found.start >= static_cast<double>(end)) found.start -= found.period;
    while (found.start < static_cast<double>(end) - found.period) found.start += found.period;
    return found;
}

}  // namespace rx
