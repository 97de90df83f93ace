#pragma once
// Everything the framing tracker works with, made from the sample rate in
// force: the sender's frame and line in this rate's samples, the tones as
// phase advances per sample, the discriminator's taps, the windows and the
// tracking loop's gains. The sender's signal is defined at its own rate
// (one silent sample where the tone's phase restarts, then 32 lines of 120
// samples at 10000 a second); at any other rate the same frame is the same
// time long, so it spans `scale` times as many samples, and the tones keep
// their frequencies in Hz.
#include <complex>
#include <vector>

namespace rx {

struct FramingParameters {
    int sampleRate = 0;
    double scale = 1;          // receiver samples per sender sample
    double nominalPeriod = 0;  // samples per frame, no clock error
    double linePeriod = 0;     // samples per line
    int lines = 0;             // lines per frame
    double maxPeriodError = 0;  // the largest clock error, in samples a frame

    // Discriminator: a complex band-pass over the tones' band; output n is
    // centred on input n (taps -reach..reach).
    std::vector<std::complex<float>> analyticTaps;
    int analyticReach = 0;

    // The break measure looks at the phase change over `run` samples: the
    // channel spreads the one-sample break over about as many. Any run of
    // picture tones turns the phase by run x black..white advance; the arc
    // of those turns, widened for mistuning and noise, is centred on
    // `arcCentre` (a unit phasor) and reaches `arcCos` (the cosine of its
    // half width) either side.
    int run = 0;
    std::complex<float> arcCentre{1, 0};
    float arcCos = 1;
    double whiteTurn = 0;  // how far white turns a run from the arc's middle
    double mistuneTurn = 0;  // how far the mistuning allowed for turns a run
    // A run phasor times this turns as far beyond white as the run did.
    std::complex<float> beyondWhite{1, 0};
    // A place whose tone is weaker than this share of the frame's mean
    // counts for less: a channel can all but swallow the sync bursts.
    float weakShare = 0;

    // Searching: the last `foldFrames` frames are folded at periods
    // nominal + k periodStep, |k| <= periodSteps.
    int foldFrames = 0;
    double periodStep = 0;
    int periodSteps = 0;
    // Two places closer than this are one peak.
    int peakExclusion = 0;

    // Line sync: a burst takes `burstSamples`; a line's burst is looked for
    // within `burstReach` of where the grid puts it.
    int burstSamples = 0;
    int burstReach = 0;

    // Following: the break is looked for within `followReach` of where the
    // frame is expected; the tracking loop moves the start by `phaseGain`
    // and the period by `periodGain` of each frame's measured error.
    int followReach = 0;
    double phaseGain = 0;
    double periodGain = 0;
};

FramingParameters framingParameters(int sampleRate);

}  // namespace rx
