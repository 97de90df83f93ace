#pragma once
// The line sync grid in a fold of frames. With line sync on, every line
// starts with a burst above white; the frame is one sample longer than its
// 32 lines, so the grid of bursts slips by one sample where a frame ends
// and the next begins. The bursts are found by folding the fold once more,
// over its lines; each line's burst is then timed, and the one gap a sample
// longer than a line is the frame's start, whatever the picture shows.
#include <algorithm>
#include <complex>
#include <numbers>
#include <vector>

#include "viewer/FramingMeasures.h"
#include "viewer/FramingParameters.h"

namespace rx {

struct LineGrid {
    bool present = false;   // a burst stands out in every line
    bool someBursts = false;  // bursts stand out in some lines: the sender sends line sync
    double confidence = 0;  // >= 1 when the slip stands clear of every other gap
    double start = 0;       // where a frame starts, in bins of the fold
    int slip = 0;           // the bursts' step falls after this line's burst
    // How much lower than white's own turn white is read, in radians: 0
    // unless the frame's darkest tones show the receiver clearly tuned low.
    double whiteLowered = 0;
    // For every place of the step: whether the bursts' front edges fit it
    // at least as well as any other (but the place a burst before it).
    std::vector<bool> frontsFit;
    // Whether the front edges fit the bursts' places nearly as well as the
    // back edges do: where they do not, they say nothing about the step.
    bool frontsTell = false;
};

// How far a run (or a sum of runs) turns beyond white, in radians: 0
// where it does not, nor where it turns so far it must be something else.
// The same for a run already turned by `beyondWhite` (white turned to 0).
inline double turnedBeyondWhite(std::complex<float> turned) {
    // Beyond white by less than a quarter turn: the first quadrant.
    return turned.imag() > 0 && turned.real() > 0 ? static_cast<double>(fastArg(turned)) : 0.0;
}
inline double beyondWhiteTurn(std::complex<float> run, const FramingParameters& p) {
    return turnedBeyondWhite(run * p.beyondWhite);
}

// How much a run looks like a burst: how far its tone (of `size`) dips
// below the frame's `meanSize` (a voice channel all but swallows the sync
// tone), and how far it turns beyond white (`beyondWhite`, from
// beyondWhiteTurn; over a line without such a channel).
inline double burstWeight(double beyondWhite, float size, double meanSize) {
    const double dip = meanSize > 0 ? std::max(0.0, 1.0 - size / meanSize) : 0.0;
    return dip + beyondWhite / (std::numbers::pi / 2);
}

// The grid in a fold of `bins` run phasors (and their summed sizes) of
// frames `period` samples long: one frame from bin `from` on (any place in
// the frame), with a line and the bursts' reach held either side.
LineGrid measureLineGrid(const std::complex<float>* runs, const float* sizes, int bins, int from, double period,
                         const FramingParameters& p);

// Where a burst's weight (weight[0..n)) falls through half its top after
// the top (its back edge) and before it (its front edge), by linear
// interpolation.
struct BurstEdges {
    int top = 0;  // where the weight is highest
    double front = 0, back = 0;
};
BurstEdges burstEdges(const float* weight, int n);

// Where a burst's turn falls half way from its top, about `top`, to the
// tone beside it (`beside`, radians from white), after the top (its back
// edge) or before it (its front edge), by linear interpolation;
// `otherwise` where it never does. turned[0..n) are the run phasors times
// beyondWhite, so that their angles are the turns from white; turn[0..n)
// holds those angles (fastArg) where they are known already, and NaN where
// not, and is filled in where they are read. A smoothed
// step crosses its midpoint in the same place whatever tone it falls to,
// where a burst's weight, cut off at white, falls through half its top
// earlier the darker that tone.
double burstTurnEdge(const std::complex<float>* turned, float* turn, int n, int top, double beside, double otherwise,
                     bool back = true);

// Where the sender's line sync burst stands in its line: the start of a
// frame lies this many samples before the back edge of its first line's
// burst, as the search's grid takes it. It reckons the burst's turn to end
// a sender sample after it does, about half of which the channel's
// smoothing of the edge makes up; the grid needs the start only within
// the lock's reach, and the follower places bursts by their middles.
double burstPlace(const FramingParameters& p);

// The same for the middle between the burst's front and back edges, which
// the channel's smoothing widens alike either side and so leaves in place.
double burstMiddlePlace(const FramingParameters& p);

}  // namespace rx
