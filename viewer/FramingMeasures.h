#pragma once
// The measures the framing tracker decides with. All of them work on run
// phasors: the discriminator's analytic sample n + run times the conjugate
// of sample n, whose angle is the phase the tone turned through over the
// run and whose size is the tone's power there. A run that holds the
// frame's phase restart turns through an angle no run of picture tones
// can; a run that holds a line sync burst turns further than white.
#include <algorithm>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

#include "viewer/FramingParameters.h"

namespace rx {

// The angle of a phasor, as std::arg gives it, to within 2e-5 radians and
// several times cheaper: the tracker reads the angles of every burst of
// every frame. An odd polynomial for the arctangent of the smaller part
// over the larger (Abramowitz and Stegun 4.4.49), then the octant.
inline float fastArg(std::complex<float> z) {
    // arctan t = t (a1 + a3 t^2 + a5 t^4 + a7 t^6 + a9 t^8), 0 <= t <= 1.
    constexpr float A1 = 0.9998660f, A3 = -0.3302995f, A5 = 0.1801410f, A7 = -0.0851330f, A9 = 0.0208351f;
    constexpr float Pi = std::numbers::pi_v<float>;
    const float x = std::abs(z.real()), y = std::abs(z.imag());
    const float larger = std::max(x, y), smaller = std::min(x, y);
    if (larger == 0) return 0;
    const float t = smaller / larger, t2 = t * t;
    float angle = t * (A1 + t2 * (A3 + t2 * (A5 + t2 * (A7 + t2 * A9))));
    if (y > x) angle = Pi / 2 - angle;
    if (z.real() < 0) angle = Pi - angle;
    return z.imag() < 0 ? -angle : angle;
}

// An arc of turns: its middle as a unit phasor and the cosine of its half
// width.
struct ToneArc {
    std::complex<float> centre{1, 0};
    float cosHalf = 1;
};
// The arc every picture's tones can turn a run through (black to white,
// widened for mistuning and noise).
ToneArc toneArc(const FramingParameters& p);
// How far a run phasor (or a sum of them) lies outside an arc, in its own
// size's units: the part of it that falls short of the arc's edge along the
// arc's middle, 0 within the arc up to 1 + the arc's cosine opposite it.
float outsideArc(std::complex<float> run, float size, const ToneArc& arc);

// The break measure: how far the run phasors summed over a fold of frames
// lie outside an arc of turns, 0 inside it up to about 2 opposite, over
// `magnitude`, the sum of their sizes (a sum whose runs turned every way
// counts for little). Where the tone is weaker than `weakMagnitude` the
// measure shrinks in proportion.
float breakMeasure(std::complex<float> folded, float magnitude, float weakMagnitude, const ToneArc& arc);

// Whether a run phasor turns further than white, as a line sync burst does.
bool beyondWhite(std::complex<float> folded, const FramingParameters& p);

// The highest value of a profile and what it stands against.
struct Peak {
    int at = -1;            // the highest value's index
    double position = 0;    // refined by a parabola through its neighbours
    float height = 0;
    float rival = 0;        // the highest value at least `exclusion` away
    float mean = 0;         // mean and deviation of the values that far away
    float deviation = 0;
};
// Over profile[0..n); `circular` when the profile wraps around (a fold of
// whole frames or lines), so that neighbours and distances wrap too.
Peak strongestPeak(const float* profile, int n, int exclusion, bool circular);
// How clear a peak stands: >= 1 when it is at least `floor` high,
// `rivalRatio` times its rival and `sigmas` deviations above the mean; the
// least of the three ratios.
double peakClearness(const Peak& peak, float floor, float rivalRatio, float sigmas);

// What stands out of a frame's profile once the line-periodic part is
// taken away: each value of profile[from..from + count) less the largest
// of its values about a line before and a line after (which must be held),
// so that line sync bursts, and picture features the neighbouring lines
// share, count for nothing. `out` must not alias.
void takeOutLines(const float* profile, int n, int from, int count, double linePeriod, float* out);

// The turn measure: how far the run phasor summed at each place of a fold
// turns from those at the same place of the neighbouring lines (a line
// before and a line after, give or take a sample), 0 where it matches
// either up to 1 opposite both. A picture keeps neighbouring lines alike,
// and across an ordinary line boundary the phase runs on, so a phase
// restart stands out whatever its angle, while line sync bursts and the
// channel's smear, alike on every line, count for nothing. Each run phasor
// is taken over `sizes` (the sum of its runs' sizes, at least `weak`), so a
// place whose folded frames disagree counts as turned too. For
// out[from..from + count); the places a line and a sample either side of
// them must be held in runs[0..n).
void turnProfile(const std::complex<float>* runs, const float* sizes, int n, int from, int count, double linePeriod,
                 float weak, float* out);

// How clear a peak of the turn measure stands: >= 1 when it is at least
// 0.02 high (a turn of about 16 degrees) and four times anything else about
// it (a picture that keeps its lines alike leaves even a small turn far
// above everything else), 0 when its width (peakWidth) is not about a run's
// (`scale` receiver samples a sender sample): a narrower peak is a step of
// the picture, a wider one a jump the channel has smeared too far to place.
double turnClearness(const Peak& peak, double width, double scale);
// Whether a peak's width (peakWidth) is about a run's, as turnClearness
// asks of the turn's.
bool aboutARun(double width, double scale);
// A peak's width: the profile summed over `reach` either side of it, in
// units of its height.
double peakWidth(const float* profile, int n, const Peak& peak, int reach);
// The middle of a peak between where it crosses half its height either
// side (interpolated): where the turn measure's peak is a plateau (every
// run that holds the restart turns alike), its middle, where the highest
// value is only where the noise or a tone step put it.
double halfHeightMiddle(const float* profile, int n, const Peak& peak);

// The tone step across a place of a fold: the angle the tone's run turns
// `apart` samples after `at` beyond the one `apart` samples before it, each
// summed over `width` runs, in radians a run (signed; 0 when the tone is
// the same either side). Runs outside [0, n) count for nothing.
double toneStep(const std::complex<float>* runs, int n, int at, int apart, int width);

// Linear regression, each row left out in turn: how far row i's `values`
// (m complex numbers) stand from what the other rows, regressed on their
// `regressors` (k complex numbers, the same in every row), predict from
// row i's regressors; the summed squared misses, one a row. Rows are laid
// out one after another in both arrays. A row that follows the others'
// rule misses little however its regressors differ from theirs; one that
// holds something they do not, much. At most 16 regressors.
std::vector<double> leftOutMisses(const std::complex<double>* regressors, const std::complex<double>* values, int rows,
                                  int k, int m);

}  // namespace rx
