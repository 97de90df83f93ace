#include "viewer/LineGrid.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/SignalFormat.h"
#include "viewer/FramingMeasures.h"

namespace rx {

namespace {

// A burst's run turns this much beyond white at least; the picture, even
// through a voice channel, stays within white's turn. (Through the channel
// the sync tone is all but lost and its turn falls well short of the
// tone's own.)
constexpr double BeyondWhite = 12 * std::numbers::pi / 180;
// The bursts are there when, at the place in the line where the turns
// beyond white summed over the frame's lines are largest, this share of
// the lines turns beyond white, and every line's burst but MaxOddBursts
// turns beyond white with at least BurstShare of the median line's excess:
// the restart just before a frame's first burst often mangles that one.
constexpr double BurstLines = 0.75;
// Where this share of the lines turns beyond white there, the sender sends
// line sync, though the bursts may not be clear enough to time (a picture
// of white on black at 15 dB); a picture without line sync turns beyond
// white on a line or two at most.
constexpr double SomeBurstLines = 0.25;
constexpr double BurstShare = 0.5;
// The restart's jump can add to the frame's first burst's turn as well as
// take from it, and a top that much higher draws its back edge early: a
// burst StrongShare times the median line's excess is as odd as a weak one.
constexpr double StrongShare = 1.5;
constexpr int MaxOddBursts = 2;
// A receiver tuned low turns every tone less, the bursts too: beside a dark
// picture a burst turns beyond white by little more than a mistuning of
// 50 Hz takes away. Where a quarter of the frame's runs (DarkShare; of
// those at least DarkSize of the mean size, so that the swallowed bursts
// are left out) turn less than black does, white is read lower by as much,
// less TransientShare of the mistuning allowed for (the channel's ringing
// at the picture's edges takes some runs below black by itself) and up to
// all of it; not at all where that comes to less than LeastShare of it: a
// burst barely seen is placed badly, and a receiver tuned a little off
// then only changes which bursts count.
constexpr double DarkShare = 0.25;
constexpr float DarkSize = 0.5f;
constexpr double TransientShare = 0.2;
constexpr double LeastShare = 0.3;
// The slip is clear when putting it anywhere else fits the bursts' places
// worse by this share of a slip squared.
constexpr double SlipShare = 0.5;
// A burst is placed where its weight falls through this share of its top.
constexpr float HalfHeight = 0.5f;
// How far from its burst's edge (beyond a run) the tone beside it is read,
// and over how much, in sender samples; the tones must spread at least
// this much (radians squared, summed over the bursts) for their share to
// be fitted.
constexpr double BesideGap = 0, BesideSamples = 4;
constexpr double ToneSpread = 0.05;
// Through a voice channel the tone beside a burst draws its edge aside by
// a curve, least in the middle of the tones, which a straight share takes
// for a step where the tones beside the bursts span most of black to white
// (grey bars or a gradient across the lines). Where their deviation is at
// least CurveSpread of white's turn from the tones' middle, a share of the
// tone squared is fitted too; where they spread less, a curve only fits
// what else draws the edges and takes the step with it.
constexpr double CurveSpread = 0.5;
// A burst stands on the grid after the step where it lies nearer that
// grid than the one before the step.
constexpr double FirstOnGrid = 0.5;
// The front edges doubt the back edges' step only where they fit the
// bursts' places nearly as well: where the best step the fronts find fits
// them FrontsWorse times as badly as the backs' step fits the backs (a
// picture whose tone before the bursts changes sharply from line to line,
// a rose), the fronts say nothing about where the step is.
constexpr double FrontsWorse = 1.5;

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

}  // namespace

BurstEdges burstEdges(const float* weight, int n) {
    BurstEdges edges;
    // The first highest weight, kept in hand (rather than read back through
    // a pointer to it each step, which makes every step wait on a load).
    int top = 0;
    float highest = weight[0];
    for (int i = 1; i < n; ++i)
        if (weight[i] > highest) {
            highest = weight[i];
            top = i;
        }
    const float half = HalfHeight * highest;
    edges.top = top;
    edges.back = n - 1;
    for (int i = top; i + 1 < n; ++i)
        if (weight[i + 1] < half) {
            edges.back = i + (weight[i] - half) / (weight[i] - weight[i + 1]);
            break;
        }
    edges.front = 0;
    for (int i = top; i > 0; --i)
        if (weight[i - 1] < half) {
            edges.front = i - (weight[i] - half) / (weight[i] - weight[i - 1]);
            break;
        }
    return edges;
}

double burstTurnEdge(const std::complex<float>* turned, float* turn, int n, int top, double beside, double otherwise, bool back) {
    const auto angleAt = [&](int i) -> double {
        float& angle = turn[i];
        if (std::isnan(angle)) angle = fastArg(turned[i]);
        return angle;
    };
    double peak = angleAt(top);
    for (int i = std::max(0, top - 1); i <= std::min(n - 1, top + 1); ++i) peak = std::max(peak, angleAt(i));
    const double half = 0.5 * (peak + beside);
    // A phasor whose turn, the short way round from `half`, is not below it
    // lies at or beyond half.
    const auto atOrBeyond = [half](double angle) {
        double off = angle - half;
        if (off > std::numbers::pi) off -= 2 * std::numbers::pi;
        if (off <= -std::numbers::pi) off += 2 * std::numbers::pi;
        return off >= 0;
    };
    const int step = back ? 1 : -1;
    for (int i = top; i + step >= 0 && i + step < n; i += step) {
        const double angle = angleAt(i), next = angleAt(i + step);
        if (atOrBeyond(angle) && !atOrBeyond(next)) {
            const double a = angle - half, b = next - half;
            return a - b > 0 ? i + step * a / (a - b) : i;
        }
    }
    return otherwise;
}

namespace {

// A step after burst `j` fitted: the places less the step, as a common
// place plus a share of the tone beside each burst, and where the tones
// spread widely a share of its square (least squares).
struct StepFit {
    int j = 0;
    double squares = 1e300;  // the misfit over the bursts used
    double base = 0;         // the common place
    double share = 0, toneMean = 0;
    double curve = 0, squareMean = 0;
    // How far burst k stands off the fit.
    double off(const std::vector<double>& at, const std::vector<double>& beside, double extra, int k) const {
        const std::size_t i = static_cast<std::size_t>(k);
        const double tone = beside[i] - toneMean;
        return at[i] - (k > j ? extra : 0) - base - share * tone - curve * (tone * tone - squareMean);
    }
};

// How well a step of `extra` between every pair of neighbouring bursts
// fits their places (odd bursts left out), allowing for the tone beside
// each burst, which draws its edge aside in proportion.
struct SlipFit {
    int slip = 0;                // the step falls after this burst
    double clearness = 0;        // how much worse the next best step fits
    StepFit best;                // the step there
    std::vector<double> misfit;  // of every step
};

// A step after burst `j` fitted over the bursts `used`; the curve where the
// tones' mean square about their mean is at least `curveSquares`.
StepFit fitStep(const std::vector<double>& at, const std::vector<double>& beside, const std::vector<bool>& used,
                double extra, int j, double curveSquares) {
    StepFit fit;
    fit.j = j;
    const int teeth = static_cast<int>(at.size());
    double sum = 0;
    int count = 0;
    for (int k = 0; k < teeth; ++k)
        if (used[static_cast<std::size_t>(k)]) {
            fit.toneMean += beside[static_cast<std::size_t>(k)];
            sum += at[static_cast<std::size_t>(k)] - (k > j ? extra : 0);
            ++count;
        }
    if (count < 3) return fit;
    fit.toneMean /= count;
    fit.base = sum / count;
    double toneSquares = 0, cross = 0;
    for (int k = 0; k < teeth; ++k)
        if (used[static_cast<std::size_t>(k)]) {
            const double tone = beside[static_cast<std::size_t>(k)] - fit.toneMean;
            toneSquares += tone * tone;
            cross += (at[static_cast<std::size_t>(k)] - (k > j ? extra : 0)) * tone;
        }
    fit.share = toneSquares > ToneSpread ? cross / toneSquares : 0;
    if (toneSquares > ToneSpread && toneSquares >= curveSquares * count) {
        // The tone and its square (less its mean) together.
        fit.squareMean = toneSquares / count;
        double mixed = 0, squareSquares = 0, curveCross = 0;
        for (int k = 0; k < teeth; ++k)
            if (used[static_cast<std::size_t>(k)]) {
                const double tone = beside[static_cast<std::size_t>(k)] - fit.toneMean;
                const double square = tone * tone - fit.squareMean;
                mixed += tone * square;
                squareSquares += square * square;
                curveCross += (at[static_cast<std::size_t>(k)] - (k > j ? extra : 0)) * square;
            }
        const double det = toneSquares * squareSquares - mixed * mixed;
        if (det > 1e-6 * toneSquares * squareSquares) {
            fit.share = (cross * squareSquares - curveCross * mixed) / det;
            fit.curve = (curveCross * toneSquares - cross * mixed) / det;
        }
    }
    fit.squares = 0;
    for (int k = 0; k < teeth; ++k)
        if (used[static_cast<std::size_t>(k)]) {
            const double e = fit.off(at, beside, extra, k);
            fit.squares += e * e;
        }
    return fit;
}

// Where a step of `extra` between neighbouring bursts fits their places
// best (odd bursts left out). With `leaveOutFirst` the burst after each
// step tried is left out too (a step just before it then fits as well).
SlipFit fitSlip(const std::vector<double>& at, const std::vector<double>& beside, const std::vector<bool>& even,
                double extra, int lines, double curveSquares, bool leaveOutFirst = false) {
    SlipFit fit;
    fit.misfit.assign(static_cast<std::size_t>(lines), 1e300);
    std::vector<bool> used = even;
    bool first = true;
    for (int j = 0; j < lines; ++j) {
        const std::size_t after = static_cast<std::size_t>(j + 1);
        if (leaveOutFirst) used[after] = false;
        const StepFit step = fitStep(at, beside, used, extra, j, curveSquares);
        used[after] = even[after];
        fit.misfit[static_cast<std::size_t>(j)] = step.squares;
        if (step.squares < 1e300 && (first || step.squares < fit.misfit[static_cast<std::size_t>(fit.slip)])) {
            first = false;
            fit.slip = j;
            fit.best = step;
        }
    }
    // A step just before an odd burst fits as well as one just after it:
    // the odd one is taken for the frame's first, mangled by the restart.
    for (int j = lines - 1; j >= 0; --j)
        if (j + 1 < lines && !even[static_cast<std::size_t>(j + 1)] &&
            fit.misfit[static_cast<std::size_t>(j + 1)] <= fit.misfit[static_cast<std::size_t>(j)] + 1e-9) {
            if (fit.slip == j + 1) {
                fit.slip = j;
                fit.best.j = j;  // the odd burst is left out either way
            }
            fit.misfit[static_cast<std::size_t>(j)] = std::min(fit.misfit[static_cast<std::size_t>(j)], fit.misfit[static_cast<std::size_t>(j + 1)]);
            fit.misfit[static_cast<std::size_t>(j + 1)] = 1e300;
        }
    // So about the fold's first burst, the same as burst `lines`: a step
    // just before it falls after burst lines - 1, with the common place a
    // step later.
    const std::size_t last = static_cast<std::size_t>(lines - 1);
    if (!even[0] && !even[static_cast<std::size_t>(lines)] && fit.misfit[0] <= fit.misfit[last] + 1e-9) {
        if (fit.slip == 0) {
            fit.slip = lines - 1;
            fit.best = fitStep(at, beside, even, extra, lines - 1, curveSquares);
        }
        fit.misfit[last] = std::min(fit.misfit[last], fit.misfit[0]);
        fit.misfit[0] = 1e300;
    }
    double second = 1e300;
    for (int j = 0; j < lines; ++j)
        if (j != fit.slip) second = std::min(second, fit.misfit[static_cast<std::size_t>(j)]);
    fit.clearness = second - fit.misfit[static_cast<std::size_t>(fit.slip)];
    return fit;
}

}  // namespace

double burstPlace(const FramingParameters& p) {
    // The burst takes the frame's first SyncPulseSamples sender samples
    // after the silent one; a run phasor dips while its start lies in the
    // burst, and the half-way point of its back edge is half a run before
    // the burst's end.
    return (1 + nbtv::SyncPulseSamples) * p.scale - 0.5 * p.run;
}

double burstMiddlePlace(const FramingParameters& p) {
    // The burst's tone turns the phase over the frame's sender samples 1 to
    // SyncPulseSamples, the span after the silent one's instant; the run
    // that lies across that span's middle turns furthest.
    return 0.5 * nbtv::SyncPulseSamples * p.scale - 0.5 * p.run;
}

namespace {

// How much lower than white's turn white is read: how far the turn that a
// quarter of the frame's runs fall short of lies below black's.
double whiteLowered(const std::complex<float>* runs, const float* sizes, int from, int frameBins, double meanSize,
                    const FramingParameters& p) {
    std::vector<float> tones;
    for (int b = from; b < from + frameBins; ++b)
        if (sizes[b] >= DarkSize * meanSize) tones.push_back(fastArg(runs[b] * std::conj(p.arcCentre)));
    if (tones.empty()) return 0;
    const auto darkest = tones.begin() + static_cast<long>(DarkShare * static_cast<double>(tones.size()));
    std::nth_element(tones.begin(), darkest, tones.end());
    const double low = std::min(-p.whiteTurn - *darkest - TransientShare * p.mistuneTurn, p.mistuneTurn);
    return low >= LeastShare * p.mistuneTurn ? low : 0.0;
}

}  // namespace

LineGrid measureLineGrid(const std::complex<float>* runs, const float* sizes, int bins, int from, double period,
                         const FramingParameters& p) {
    LineGrid grid;
    const int frameBins = static_cast<int>(std::floor(period));
    if (from < 0 || bins < from + frameBins) return grid;
    double meanSize = 0;
    for (int b = from; b < from + frameBins; ++b) meanSize += sizes[b] / frameBins;
    grid.whiteLowered = whiteLowered(runs, sizes, from, frameBins, meanSize, p);
    const std::complex<float> lowered = std::polar(1.0f, static_cast<float>(grid.whiteLowered));
    std::vector<float> beyond(static_cast<std::size_t>(bins)), weight(static_cast<std::size_t>(bins));
    for (int b = 0; b < bins; ++b) {
        beyond[static_cast<std::size_t>(b)] = static_cast<float>(beyondWhiteTurn(runs[b] * lowered, p));
        weight[static_cast<std::size_t>(b)] = static_cast<float>(burstWeight(beyond[static_cast<std::size_t>(b)], sizes[b], meanSize));
    }

    // Lines stretch with the clock, as the frame does. The bursts' weight
    // summed over the frame's lines, at every place in a line.
    const double line = p.linePeriod * period / p.nominalPeriod;
    const int lineBins = static_cast<int>(std::lround(line));
    std::vector<float> overLines(static_cast<std::size_t>(lineBins), 0.0f);
    for (int phase = 0; phase < lineBins; ++phase)
        for (int k = 0; k < p.lines; ++k)
            overLines[static_cast<std::size_t>(phase)] += weight[static_cast<std::size_t>(from + phase + std::lround(k * line))];
    const Peak phase = strongestPeak(overLines.data(), lineBins, 2 * p.burstSamples + p.run, true);
    if (!(phase.height > 0)) return grid;

    // Each line's burst: how much of a burst there is about where the grid
    // puts it, where its edges stand, and the tones before and after it; burst
    // `lines` is the first one a period on.
    const int teeth = p.lines + 1;
    const int reach = p.burstSamples + p.run + p.burstReach;
    const long after = std::lround(BesideGap * p.scale) + p.run, span = std::lround(BesideSamples * p.scale);
    std::vector<double> back(static_cast<std::size_t>(teeth)), excess(static_cast<std::size_t>(teeth)),
        toneAfter(static_cast<std::size_t>(teeth)), front(static_cast<std::size_t>(teeth)), toneBefore(static_cast<std::size_t>(teeth));
    int lines = 0;
    for (int k = 0; k < teeth; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        const double expected = from + phase.position + k * line;
        const long centre = std::lround(expected);
        const long lo = std::max(0L, centre - reach), hi = std::min(static_cast<long>(bins) - 1, centre + reach);
        const BurstEdges edges = burstEdges(weight.data() + lo, static_cast<int>(hi - lo + 1));
        back[i] = edges.back + static_cast<double>(lo) - expected;
        front[i] = edges.front + static_cast<double>(lo) - expected;
        std::complex<float> before = 0;
        for (long b = std::lround(expected + front[i]) - after - span; b < std::lround(expected + front[i]) - after; ++b)
            before += runs[std::clamp(b, 0L, static_cast<long>(bins) - 1)];
        toneBefore[i] = std::arg(before * std::conj(p.arcCentre));
        std::complex<float> tone = 0;
        for (long b = std::lround(expected + back[i]) + after; b < std::lround(expected + back[i]) + after + span; ++b)
            tone += runs[std::clamp(b, 0L, static_cast<long>(bins) - 1)];
        toneAfter[i] = std::arg(tone * std::conj(p.arcCentre));
        excess[i] = *std::max_element(weight.begin() + lo, weight.begin() + hi + 1);
        double furthest = 0;
        for (long b = centre - p.burstSamples / 2; b <= centre + p.burstSamples / 2; ++b)
            furthest = std::max(furthest, static_cast<double>(beyond[static_cast<std::size_t>(b)]));
        if (k < p.lines && furthest > BeyondWhite) ++lines;
    }
    grid.someBursts = lines >= SomeBurstLines * p.lines;
    if (lines < BurstLines * p.lines) return grid;
    const double typical = median(std::vector<double>(excess.begin(), excess.end() - 1));
    std::vector<bool> even(static_cast<std::size_t>(teeth));
    int odd = 0;
    for (int k = 0; k < teeth; ++k) {
        even[static_cast<std::size_t>(k)] = excess[static_cast<std::size_t>(k)] >= BurstShare * typical;
        if (k < p.lines && !even[static_cast<std::size_t>(k)]) ++odd;
    }
    grid.present = odd <= MaxOddBursts;
    if (!grid.present) return grid;
    // The strongest burst, far stronger than the rest, is odd too (burst
    // `lines` is the first one a period on).
    const int strongest = static_cast<int>(std::max_element(excess.begin(), excess.end() - 1) - excess.begin());
    if (excess[static_cast<std::size_t>(strongest)] > StrongShare * typical) {
        even[static_cast<std::size_t>(strongest)] = false;
        if (strongest == 0) even[static_cast<std::size_t>(p.lines)] = false;
    }

    // The bursts' back edges along the grid step up by the frame's extra
    // sample where the frame starts. The tone after a burst draws its back
    // edge aside (a voice channel's band edge lets a tone near it die away
    // later), which the fit allows for, but a picture whose rows beside the
    // bursts change across the frame (a border drawn round a card) can
    // still put the step a burst off. The front edges step up there too,
    // drawn aside by the tone before each burst, and the frame's first one
    // by the restart just before it as well, so that one is left out of
    // their fit: unless the fronts fit the back edges' step at least as
    // well as any other (but the one a burst before it, which leaving the
    // first out makes fit alike), the slip is not clear, where the fronts
    // fit the bursts nearly as well as the backs do.
    const double extra = period - p.lines * line;
    const double curveSquares = CurveSpread * CurveSpread * p.whiteTurn * p.whiteTurn;
    SlipFit fit = fitSlip(back, toneAfter, even, extra, p.lines, curveSquares);
    const SlipFit fronts = fitSlip(front, toneBefore, even, extra, p.lines, curveSquares, true);
    grid.slip = fit.slip;
    auto frontsFitAt = [&](int slip, bool orLater) {
        double others = 1e300;
        for (int j = 0; j < p.lines; ++j)
            if (j != slip && j != slip - 1 && !(orLater && j == (slip + 1) % p.lines))
                others = std::min(others, fronts.misfit[static_cast<std::size_t>(j)]);
        return fronts.misfit[static_cast<std::size_t>(slip)] <= others;
    };
    grid.frontsFit.assign(static_cast<std::size_t>(p.lines), false);
    for (int slip = 0; slip < p.lines; ++slip) grid.frontsFit[static_cast<std::size_t>(slip)] = frontsFitAt(slip, false);
    // Where the frame starts, the bursts after the step stand on the grid
    // after it by their back edges. The restart just before the frame's
    // first burst draws its front edge aside, not its back, so where the
    // first two bursts do, the fronts may put the step a burst later. A
    // picture's column beside the frame's start (a card's margin inside a
    // border) can draw the backs of the bursts either side of the start
    // late alike: the backs' step then falls a burst early, and the burst
    // after the one it takes for the first stands a step late.
    auto onGridAfter = [&](int k, bool onGrid) {
        // Burst k after the step (beyond the fold, the same burst a period
        // before) stands on the grid after it, or off it; an odd one neither.
        const int i = k < teeth ? k : k - p.lines;
        return even[static_cast<std::size_t>(i)] &&
               (std::abs(fit.best.off(back, toneAfter, extra, i)) < FirstOnGrid * extra) == onGrid;
    };
    if (onGridAfter(fit.slip + 2, false)) fit.clearness = std::min(fit.clearness, 0.0);
    if (onGridAfter(fit.slip + 1, true) && onGridAfter(fit.slip + 2, true))
        grid.frontsFit[static_cast<std::size_t>(fit.slip)] = frontsFitAt(fit.slip, true);
    const double frontsBest = *std::min_element(fronts.misfit.begin(), fronts.misfit.end());
    grid.frontsTell = frontsBest <= FrontsWorse * fit.misfit[static_cast<std::size_t>(fit.slip)];
    if (grid.frontsTell && !grid.frontsFit[static_cast<std::size_t>(fit.slip)]) fit.clearness = std::min(fit.clearness, 0.0);
    grid.confidence = fit.clearness / (SlipShare * extra * extra);
    // The frame's first line follows the step; its burst stands the extra
    // sample later than the grid from the first burst puts it.
    grid.start = from + phase.position + fit.best.base + (fit.slip + 1) * line + extra - burstPlace(p);
    return grid;
}

}  // namespace rx
