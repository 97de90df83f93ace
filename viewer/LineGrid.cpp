#include "viewer/LineGrid.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstdlib>
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
constexpr double BurstShare = 0.5;
constexpr int MaxOddBursts = 2;
// The slip is clear when putting it anywhere else fits the bursts' places
// worse by this share of a slip squared.
constexpr double SlipShare = 0.5;
// A burst is placed where its weight falls through this share of its top.
constexpr float HalfHeight = 0.5f;

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

}  // namespace

double trailingEdge(const float* weight, int n) {
    // Where the weight falls through half its top after the top: the
    // restart just before a frame's first burst widens that burst's dip
    // at its front, never at its back.
    const int top = static_cast<int>(std::max_element(weight, weight + n) - weight);
    const float half = HalfHeight * weight[top];
    for (int i = top; i + 1 < n; ++i)
        if (weight[i + 1] < half) return i + (weight[i] - half) / (weight[i] - weight[i + 1]);
    return n - 1;
}

double beyondWhiteTurn(std::complex<float> run, const FramingParameters& p) {
    const double turn = std::arg(run * std::conj(p.arcCentre)) - p.whiteTurn;
    return turn > 0 && turn < std::numbers::pi / 2 ? turn : 0.0;
}

double burstWeight(std::complex<float> run, float size, double meanSize, const FramingParameters& p) {
    const double dip = meanSize > 0 ? std::max(0.0, 1.0 - size / meanSize) : 0.0;
    return dip + beyondWhiteTurn(run, p) / (std::numbers::pi / 2);
}

double burstPlace(const FramingParameters& p) {
    // The burst takes the frame's first SyncPulseSamples sender samples
    // after the silent one; the run phasors starting within it dip.
    return (1 + nbtv::SyncPulseSamples) * p.scale - 0.5 * p.run;
}

LineGrid measureLineGrid(const std::complex<float>* runs, const float* sizes, int bins, int from, double period,
                         const FramingParameters& p) {
    LineGrid grid;
    const int frameBins = static_cast<int>(std::floor(period));
    if (from < 0 || bins < from + frameBins) return grid;
    double meanSize = 0;
    for (int b = from; b < from + frameBins; ++b) meanSize += sizes[b] / frameBins;
    std::vector<float> beyond(static_cast<std::size_t>(bins)), weight(static_cast<std::size_t>(bins));
    for (int b = 0; b < bins; ++b) {
        beyond[static_cast<std::size_t>(b)] = static_cast<float>(beyondWhiteTurn(runs[b], p));
        weight[static_cast<std::size_t>(b)] = static_cast<float>(burstWeight(runs[b], sizes[b], meanSize, p));
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
    // puts it, and its place (the weight's centroid); burst `lines` is the
    // first one a period on.
    const int teeth = p.lines + 1;
    const int reach = p.burstSamples + p.run + p.burstReach;
    std::vector<double> offset(static_cast<std::size_t>(teeth)), excess(static_cast<std::size_t>(teeth));
    int lines = 0;
    for (int k = 0; k < teeth; ++k) {
        const double expected = from + phase.position + (k < p.lines ? k * line : period);
        const long centre = std::lround(expected);
        const long lo = std::max(0L, centre - reach), hi = std::min(static_cast<long>(bins) - 1, centre + reach);
        offset[static_cast<std::size_t>(k)] = trailingEdge(weight.data() + lo, static_cast<int>(hi - lo + 1)) + lo - expected;
        const double top = *std::max_element(weight.begin() + lo, weight.begin() + hi + 1);
        double furthest = 0;
        for (long b = centre - p.burstSamples / 2; b <= centre + p.burstSamples / 2; ++b)
            furthest = std::max(furthest, static_cast<double>(beyond[static_cast<std::size_t>(b)]));
        excess[static_cast<std::size_t>(k)] = top;
        if (k < p.lines && furthest > BeyondWhite) ++lines;
    }
    if (lines < BurstLines * p.lines) return grid;
    const double typical = median(std::vector<double>(excess.begin(), excess.end() - 1));
    std::vector<bool> even(static_cast<std::size_t>(teeth));
    int odd = 0;
    for (int k = 0; k < teeth; ++k) {
        even[static_cast<std::size_t>(k)] = excess[static_cast<std::size_t>(k)] >= BurstShare * typical;
        if (k < p.lines && !even[static_cast<std::size_t>(k)]) ++odd;
    }
    grid.present = odd <= MaxOddBursts;
    if (getenv("GRIDDEBUG2")) for (int k : {0, 17, 18, 19, 20, 26}) { const long c = std::lround(from + phase.position + k * line); fprintf(stderr, "tooth %d:", k); for (long b = c - 8; b <= c + 8; ++b) fprintf(stderr, " %.2f/%.0f", weight[b], std::arg(runs[b] * std::conj(p.arcCentre)) * 180 / M_PI); fprintf(stderr, "\n"); }
    if (getenv("GRIDDEBUG")) { fprintf(stderr, "offsets:"); for (int k = 0; k < teeth; ++k) fprintf(stderr, " %+.2f%s", offset[k], even[k] ? "" : "*"); fprintf(stderr, "\n"); }
    if (!grid.present) return grid;
    // The bursts' places along the grid step up by the frame's extra sample
    // where the frame starts: the step that fits them best, and how much
    // worse the next best fits.
    const double extra = period - p.lines * line;
    double best = 1e300, second = 1e300;
    int slip = -1;
    for (int j = 0; j < p.lines; ++j) {
        // The step falls between burst j and burst j + 1.
        double sum = 0;
        int count = 0;
        for (int k = 0; k < teeth; ++k)
            if (even[static_cast<std::size_t>(k)]) {
                sum += offset[static_cast<std::size_t>(k)] - (k > j ? extra : 0);
                ++count;
            }
        const double base = sum / count;
        double squares = 0;
        for (int k = 0; k < teeth; ++k)
            if (even[static_cast<std::size_t>(k)]) {
                const double e = offset[static_cast<std::size_t>(k)] - (k > j ? extra : 0) - base;
                squares += e * e;
            }
        // Where an odd burst lies next to the step the fit cannot tell
        // which side it is on; it is the frame's first, mangled by the
        // restart just before it.
        if (squares < best - 1e-9 || (squares < best + 1e-9 && !even[static_cast<std::size_t>(j + 1)])) {
            if (slip >= 0 && std::abs(squares - best) > 1e-9) second = best;
            best = squares;
            slip = j;
        } else if (std::abs(squares - best) > 1e-9) {
            second = std::min(second, squares);
        }
    }
    grid.confidence = (second - best) / (SlipShare * extra * extra);
    // The frame's first line follows the step; its burst stands the extra
    // sample later than the grid from the first burst puts it.
    double place = 0;
    int count = 0;
    for (int k = 0; k < teeth; ++k)
        if (even[static_cast<std::size_t>(k)]) {
            place += offset[static_cast<std::size_t>(k)] - (k > slip ? extra : 0);
            ++count;
        }
    place /= count;
    grid.start = from + phase.position + place + (slip + 1) * line + extra - burstPlace(p);
    return grid;
}

}  // namespace rx
