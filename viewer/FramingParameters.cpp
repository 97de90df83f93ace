#include "viewer/FramingParameters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/SignalFormat.h"

namespace rx {

namespace {

// The discriminator's pass band: the tones' band with room either side for
// the picture's sidebands, and its reach in sender samples. Four sender
// samples each way keep the other sideband out to better than -40 dB at
// every rate from 8000 up.
constexpr double BandMarginHz = 800;
constexpr double AnalyticReachSamples = 4;
// The break's run, in sender samples: about how far a voice channel's
// band-pass spreads a one-sample phase jump, and as long as a line sync
// burst. At other rates it is rounded down, never up: a run longer than
// the burst takes in the picture beside it, and beside a dark picture the
// bursts no longer turn beyond white.
constexpr double RunSamples = 4;
// A run a whole number of sender samples long comes out whole at the
// rates that make it so, whatever the rounding of the scale.
constexpr double WholeRunMargin = 1e-9;
// The arc is widened by this much mistuning and this much noise.
constexpr double MistuneHz = 50;
constexpr double ArcMarginRadians = 6 * std::numbers::pi / 180;
constexpr float WeakShare = 0.1f;
// The clock errors searched: sound cards commonly differ by 50-300 ppm.
constexpr double MaxClockError = 600e-6;
constexpr int FoldFrames = 8;
// Periods a quarter of a sender sample apart: over a fold of eight frames
// the break then lies within a sample of where the nearest period puts it.
constexpr double PeriodStepSamples = 0.25;
constexpr double PeakExclusionSamples = 12;
constexpr double BurstReachSamples = 3;
constexpr double FollowReachSamples = 8;
// The tracking loop: each frame the start moves by half of the measured
// error and the period by a tenth of it, a loop that settles within a few
// frames and then holds the period to a few hundredths of a sample.
constexpr double PhaseGain = 0.5;
constexpr double PeriodGain = 0.1;

int samplesAt(double senderSamples, double scale, int least) {
    return std::max(least, static_cast<int>(std::lround(senderSamples * scale)));
}

std::vector<std::complex<float>> analyticTaps(int reach, double rate) {
    // A Hann-windowed ideal band-pass for positive frequencies only, with
    // unit gain at the band's middle.
    const double low = nbtv::BlackToneHz - BandMarginHz, high = nbtv::SyncToneHz + BandMarginHz;
    const double middle = std::numbers::pi * (low + high) / rate, width = (high - low) / rate;
    std::vector<std::complex<double>> taps;
    std::complex<double> gain = 0;
    for (int k = -reach; k <= reach; ++k) {
        const double t = std::numbers::pi * k;
        const double ideal = k == 0 ? width : std::sin(t * width) / t;
        const double window = 0.5 + 0.5 * std::cos(t / (reach + 1));
        taps.push_back(ideal * window * std::polar(1.0, middle * k));
        gain += taps.back() * std::polar(1.0, -middle * k);
    }
    std::vector<std::complex<float>> result;
    for (const auto& tap : taps) result.emplace_back(tap / gain);
    return result;
}

}  // namespace

FramingParameters framingParameters(int sampleRate) {
    FramingParameters p;
    p.sampleRate = sampleRate > 0 ? sampleRate : nbtv::SignalRate;
    const double rate = p.sampleRate;
    p.scale = rate / nbtv::SignalRate;
    p.nominalPeriod = nbtv::FrameSamples * p.scale;
    p.linePeriod = nbtv::LineSamples * p.scale;
    p.lines = nbtv::LinesPerFrame;
    p.maxPeriodError = p.nominalPeriod * MaxClockError;

    p.analyticReach = samplesAt(AnalyticReachSamples, p.scale, 2);
    p.analyticTaps = analyticTaps(p.analyticReach, rate);

    p.run = std::max(2, static_cast<int>(std::floor(RunSamples * p.scale + WholeRunMargin)));
    const double radiansPerHz = 2 * std::numbers::pi / rate;
    const double black = nbtv::BlackToneHz * radiansPerHz, white = nbtv::WhiteToneHz * radiansPerHz;
    p.arcCentre = std::polar(1.0f, static_cast<float>(p.run * 0.5 * (black + white)));
    const double half = p.run * (0.5 * (white - black) + MistuneHz * radiansPerHz) + ArcMarginRadians;
    p.arcCos = static_cast<float>(std::cos(std::min(half, std::numbers::pi)));
    p.whiteTurn = p.run * 0.5 * (white - black);
    p.mistuneTurn = p.run * MistuneHz * radiansPerHz;
    p.beyondWhite = std::conj(p.arcCentre) * std::polar(1.0f, static_cast<float>(-p.whiteTurn));
    p.weakShare = WeakShare;

    p.foldFrames = FoldFrames;
    p.periodStep = PeriodStepSamples * p.scale;
    p.periodSteps = static_cast<int>(std::ceil(p.maxPeriodError / p.periodStep));
    p.peakExclusion = samplesAt(PeakExclusionSamples, p.scale, 4);

    p.burstSamples = samplesAt(nbtv::SyncPulseSamples, p.scale, 1);
    p.burstReach = samplesAt(BurstReachSamples, p.scale, 2);

    p.followReach = samplesAt(FollowReachSamples, p.scale, 4);
    p.phaseGain = PhaseGain;
    p.periodGain = PeriodGain;
    return p;
}

}  // namespace rx
