// The pieces the framing tracker decides with: the parameters every rate
// gets, the discriminator, the break measure, the peak helper, the line
// sync grid's slip, the turn against the neighbouring lines, and the
// frame read on the sender's grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "tests/common/SentSignal.h"
#include "viewer/FrameVideo.h"
#include "viewer/FramingMeasures.h"
#include "viewer/FramingParameters.h"
#include "viewer/LineGrid.h"

namespace {

using cf = std::complex<float>;

// The discriminator's gain at a frequency.
double gainAt(const rx::FramingParameters& p, double hz) {
    std::complex<double> sum = 0;
    for (int k = -p.analyticReach; k <= p.analyticReach; ++k)
        sum += std::complex<double>(p.analyticTaps[static_cast<std::size_t>(k + p.analyticReach)]) *
               std::polar(1.0, -2 * std::numbers::pi * hz / p.sampleRate * k);
    return std::abs(sum);
}

TEST(FramingParameters, FromTheRateInForce) {
    for (const int rate : {8000, 9000, 10000, 12000, 44100, 48000}) {
        SCOPED_TRACE(rate);
        const rx::FramingParameters p = rx::framingParameters(rate);
        EXPECT_DOUBLE_EQ(p.nominalPeriod, 3841.0 * rate / 10000);
        EXPECT_DOUBLE_EQ(p.linePeriod, 120.0 * rate / 10000);
        // The tones pass; their mirror images, which would make the phase
        // wobble, do not.
        for (const double hz : {1727.7, 2348.4, 2969.0}) {
            EXPECT_NEAR(gainAt(p, hz), 1.0, 0.12) << hz;
            EXPECT_LT(gainAt(p, -hz), 0.05) << hz;
        }
        // A clock error of 300 ppm is within the search's reach.
        EXPECT_GT(p.periodSteps * p.periodStep, 300e-6 * p.nominalPeriod);
        // A run never spans more than a line sync burst (at 9000 and
        // 12000 Hz it once did, and beside black the bursts were lost).
        EXPECT_LE(p.run, 4 * p.scale + 1e-9);
        EXPECT_GT(p.run, 4 * p.scale - 1);
    }
}

// A run of `run` samples of a steady tone, as the discriminator turns it.
cf toneRun(const rx::FramingParameters& p, double hz, float size = 1) {
    return std::polar(size, static_cast<float>(2 * std::numbers::pi * hz / p.sampleRate * p.run));
}

TEST(FramingMeasures, BreakMeasureKnowsTheTonesFromARestart) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    const rx::ToneArc arc = rx::toneArc(p);
    for (const double hz : {1727.7, 2000.0, 2348.4}) EXPECT_EQ(rx::breakMeasure(toneRun(p, hz), 1, 0.1f, arc), 0) << hz;
    // A restart that turns the run half a turn away from the picture's.
    const cf restarted = toneRun(p, 2000) * std::polar(1.0f, static_cast<float>(std::numbers::pi));
    EXPECT_GT(rx::breakMeasure(restarted, 1, 0.1f, arc), 1);
    // Eight frames of it folded stand as high; eight frames whose runs
    // turned every way count for little.
    EXPECT_NEAR(rx::breakMeasure(8.0f * restarted, 8, 0.8f, arc), rx::breakMeasure(restarted, 1, 0.1f, arc), 1e-5);
    cf scattered = 0;
    for (int j = 0; j < 8; ++j) scattered += std::polar(1.0f, static_cast<float>(j * std::numbers::pi / 4));
    EXPECT_LT(rx::breakMeasure(scattered, 8, 0.8f, arc), 0.1);
    // Where the tone is weak it counts for less.
    EXPECT_LT(rx::breakMeasure(0.01f * restarted, 0.01f, 0.1f, arc), 0.2);
}

TEST(FramingMeasures, FastArgIsTheAngleInEveryOctant) {
    // Every 1/7 degree round the circle, at sizes from faint to loud, and
    // on the axes.
    for (int step = 0; step < 7 * 360; ++step) {
        const double angle = step * std::numbers::pi / (7 * 180);
        for (const float size : {1e-6f, 1.0f, 3e4f}) {
            const cf z = std::polar(size, static_cast<float>(angle));
            EXPECT_NEAR(std::remainder(rx::fastArg(z) - std::arg(z), 2 * std::numbers::pi), 0.0, 2e-5) << step;
        }
    }
    EXPECT_EQ(rx::fastArg(cf(0, 0)), 0.0f);
    EXPECT_NEAR(rx::fastArg(cf(-1, 0)), std::numbers::pi, 1e-6);
    EXPECT_NEAR(rx::fastArg(cf(0, -2)), -std::numbers::pi / 2, 1e-6);
}

TEST(FramingMeasures, StrongestPeakPlacesAndWeighsIt) {
    std::vector<float> v(100, 1.0f);
    // A parabola through 40, 41, 42 that tops a sixth past 41, and a rival.
    v[40] = 5;
    v[41] = 6;
    v[42] = 5.5f;
    v[80] = 3;
    rx::Peak peak = rx::strongestPeak(v.data(), 100, 10, false);
    EXPECT_EQ(peak.at, 41);
    EXPECT_NEAR(peak.position, 41 + 1.0 / 6, 1e-9);
    EXPECT_FLOAT_EQ(peak.rival, 3);
    EXPECT_GT(peak.mean, 1);
    // On a circle the rival 10 away across the end is no rival.
    std::vector<float> w(100, 0.0f);
    w[2] = 4;
    w[95] = 3;
    peak = rx::strongestPeak(w.data(), 100, 10, true);
    EXPECT_EQ(peak.at, 2);
    EXPECT_FLOAT_EQ(peak.rival, 0);
}

// Lines of a picture that changes down each line but keeps its lines alike
// (a line sync burst at each line's start), with a restart at `restart`
// whose jump, `jump` radians, keeps the run within the tones' arc.
std::vector<cf> linesWithRestart(const rx::FramingParameters& p, int bins, int restart, double jump) {
    const int line = static_cast<int>(p.linePeriod);
    std::vector<cf> runs(static_cast<std::size_t>(bins));
    for (int b = 0; b < bins; ++b) {
        const int row = b % line;
        const double hz = row < 4 ? 2969.0 : 1727.7 + 620.7 * (row % 37) / 36.0;
        runs[static_cast<std::size_t>(b)] = toneRun(p, hz);
    }
    // The runs that hold the restart turn by the jump too.
    for (int b = restart - p.run; b < restart; ++b)
        runs[static_cast<std::size_t>(b)] *= std::polar(1.0f, static_cast<float>(jump));
    return runs;
}

TEST(FramingMeasures, TurnAgainstTheNeighbouringLinesSeesARestartInsideTheArc) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    const int bins = 8 * static_cast<int>(p.linePeriod), restart = 4 * static_cast<int>(p.linePeriod) + 60;
    const std::vector<cf> runs = linesWithRestart(p, bins, restart, 0.6);
    const std::vector<float> sizes(static_cast<std::size_t>(bins), 1.0f);
    // The arc sees nothing there: the jump keeps the run within it.
    EXPECT_EQ(rx::breakMeasure(runs[static_cast<std::size_t>(restart - 2)], 1, 0.1f, rx::toneArc(p)), 0);
    const int from = static_cast<int>(p.linePeriod) + 2, count = bins - 2 * from;
    std::vector<float> turn(static_cast<std::size_t>(bins), 0.0f);
    rx::turnProfile(runs.data(), sizes.data(), bins, from, count, p.linePeriod, 0.1f, turn.data());
    rx::Peak peak = rx::strongestPeak(turn.data() + from, count, p.peakExclusion, false);
    // The bursts and the picture, alike at every line, count for nothing;
    // the restart's runs stand out, their middle half a run before it.
    // (Up to the jump's own share, sin^2 of half of it: a neighbour a
    // sample aside may turn a little nearer.)
    EXPECT_GT(peak.height, 0.05);
    EXPECT_LE(peak.height, std::pow(std::sin(0.3), 2) + 1e-4);
    EXPECT_LT(peak.rival, 1e-4);
    const double width = rx::peakWidth(turn.data() + from, count, peak, p.peakExclusion);
    EXPECT_NEAR(width, p.run, 0.5);
    EXPECT_NEAR(rx::halfHeightMiddle(turn.data() + from, count, peak) + from, restart - 0.5 * (p.run + 1), 0.5);
    EXPECT_GE(rx::turnClearness(peak, width, p.scale), 1);
    // A peak a sample wide is a step of the picture, one of twenty a jump
    // smeared past placing: neither is clear.
    EXPECT_EQ(rx::turnClearness(peak, 1, p.scale), 0);
    EXPECT_EQ(rx::turnClearness(peak, 20, p.scale), 0);
    // A place whose folded frames disagree counts as turned.
    std::vector<float> spread = sizes;
    spread[static_cast<std::size_t>(from + 10)] = 5;
    rx::turnProfile(runs.data(), spread.data(), bins, from, count, p.linePeriod, 0.1f, turn.data());
    EXPECT_GT(turn[static_cast<std::size_t>(from + 10)], 0.1);
}

// Where the burst of line `line` of frame `frame` of a fold starting at
// `start` begins: at the line's sender sample 1.
double burstAt(const rx::FramingParameters& p, double start, int frame, int line) {
    return start + frame * p.nominalPeriod + (1 + 120 * line) * p.scale;
}

// A fold of frames of white (or `pictureHz`) with a line sync burst (of
// `burstHz`, as the channel leaves it) at every line, the grid slipping by
// a sample where the frame starts; the frame's first burst may be mangled
// by the restart or start `earlyFront` samples early (and the next one a
// little early then too), and it and the one before it may end `lateBacks`
// samples late.
std::vector<cf> burstFold(const rx::FramingParameters& p, int from, double start, bool mangleFirst, std::vector<float>& sizes,
                          int earlyFront = 0, int lateBacks = 0, double pictureHz = 2348.4, double burstHz = 2969.0) {
    const int bins = from + static_cast<int>(p.nominalPeriod) + 200;
    std::vector<cf> runs(static_cast<std::size_t>(bins), toneRun(p, pictureHz));
    sizes.assign(runs.size(), 1.0f);
    for (int frame = -1; frame <= 1; ++frame)
        for (int line = 0; line < p.lines; ++line) {
            // Sender samples 1 + 120 line .. + 4 of the frame: runs starting
            // within them dip and turn beyond white.
            const double burst = burstAt(p, start, frame, line);
            const int early = line == 0 ? earlyFront : 0, late = line == 0 || line == p.lines - 1 ? lateBacks : 0;
            for (int b = static_cast<int>(std::ceil(burst)) - 1 - early; b < burst + 4 * p.scale - 1 + late; ++b) {
                if (b < 0 || b >= bins) continue;
                const bool mangled = mangleFirst && line == 0;
                runs[static_cast<std::size_t>(b)] = toneRun(p, mangled ? 1000 : burstHz, 0.3f);
                sizes[static_cast<std::size_t>(b)] = 0.3f;
            }
            const int before = static_cast<int>(std::ceil(burst)) - 2;
            if (earlyFront > 0 && line == 1 && before >= 0 && before < bins) {
                runs[static_cast<std::size_t>(before)] = toneRun(p, 2348.4, 0.6f);
                sizes[static_cast<std::size_t>(before)] = 0.6f;
            }
        }
    return runs;
}

// Runs [lo, hi) of a fold turned into a burst, as the channel leaves it.
void markBurst(const rx::FramingParameters& p, int lo, int hi, std::vector<cf>& runs, std::vector<float>& sizes) {
    for (int b = std::max(lo, 0); b < std::min(hi, static_cast<int>(runs.size())); ++b) {
        runs[static_cast<std::size_t>(b)] = toneRun(p, 2969.0, 0.3f);
        sizes[static_cast<std::size_t>(b)] = 0.3f;
    }
}

// The grid of a fold is clear and puts the frame within `within` samples
// of `start`.
void expectClearGridAt(const rx::FramingParameters& p, const std::vector<cf>& runs, const std::vector<float>& sizes, int from,
                       double start, double within) {
    const rx::LineGrid grid = rx::measureLineGrid(runs.data(), sizes.data(), static_cast<int>(runs.size()), from, p.nominalPeriod, p);
    ASSERT_TRUE(grid.present);
    EXPECT_GE(grid.confidence, 1);
    EXPECT_NEAR(std::remainder(grid.start - start, p.nominalPeriod), 0, within);
}

TEST(LineGrid, TheSlipPlacesTheFrame) {
    for (const bool mangled : {false, true})
        for (const double start : {300.0, 1900.0, 3700.0}) {
            SCOPED_TRACE(start);
            SCOPED_TRACE(mangled);
            const rx::FramingParameters p = rx::framingParameters(10000);
            std::vector<float> sizes;
            const int from = 200;
            const std::vector<cf> runs = burstFold(p, from, from + start, mangled, sizes);
            expectClearGridAt(p, runs, sizes, from, from + start, 1.0);
        }
}

// The restart just before the frame's first burst can draw its front edge
// a sample early, and the picture the next one's: the fronts then put the
// step a burst later, and the backs decide. Where the backs of the bursts
// either side of the frame's start both stand late (a card's margin beside
// a border there), the backs' step falls a burst early: not clear. A
// picture whose tone before the bursts changes sharply from line to line
// draws their fronts aside, here a sample early on every other line and
// on the frame's first half (where the fronts alone would put the step):
// fronts that fit the bursts worse than the backs do say nothing.
TEST(LineGrid, TheFrontsDoubtTheSlipOnlyWhereTheBacksDo) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    const int from = 200;
    for (const double start : {300.0, 1900.0, 3700.0}) {
        SCOPED_TRACE(start);
        std::vector<float> sizes;
        std::vector<cf> runs = burstFold(p, from, from + start, false, sizes, 1, 0);
        expectClearGridAt(p, runs, sizes, from, from + start, 1.0);
        runs = burstFold(p, from, from + start, false, sizes, 0, 1);
        const rx::LineGrid grid = rx::measureLineGrid(runs.data(), sizes.data(), static_cast<int>(runs.size()), from, p.nominalPeriod, p);
        if (grid.confidence >= 1) {
            EXPECT_NEAR(std::remainder(grid.start - (from + start), p.nominalPeriod), 0, 1.0);
        }
        runs = burstFold(p, from, from + start, false, sizes);
        for (int frame = -1; frame <= 1; ++frame)
            for (int line = 0; line < p.lines; ++line) {
                const int before = static_cast<int>(std::ceil(burstAt(p, from + start, frame, line))) - 1;
                markBurst(p, before - (line < p.lines / 2 ? 1 : 0) - line % 2, before, runs, sizes);
            }
        expectClearGridAt(p, runs, sizes, from, from + start, 1.0);
    }
}

// Bursts beside black that the channel leaves turning 16 degrees beyond
// white: a receiver tuned 45 Hz low takes 6 of them away. Its black, read
// as low, gives them back.
TEST(LineGrid, BurstsBesideBlackAreSeenByAReceiverTunedLow) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    const int from = 200;
    for (const double mistune : {0.0, -45.0}) {
        SCOPED_TRACE(mistune);
        std::vector<float> sizes;
        const std::vector<cf> runs = burstFold(p, from, from + 1900, false, sizes, 0, 0, 1727.7 + mistune, 2458.4 + mistune);
        expectClearGridAt(p, runs, sizes, from, from + 1900, 1.0);
    }
}

// The restart's jump can turn the frame's first burst further than the
// rest, its top higher and its back edge, half way down from it, a sample
// early: on the grid before the step. Taken for the frame's first, not for
// the last of the frame before, also where the fold starts on it.
TEST(LineGrid, AFirstBurstFarStrongerThanTheRestIsTheRestartsToo) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    const int from = 200;
    for (const double start : {60.0, 300.0, 1900.0, 3700.0}) {
        SCOPED_TRACE(start);
        std::vector<float> sizes;
        std::vector<cf> runs = burstFold(p, from, from + start, false, sizes, 0, 0, 2348.4, 2548.4);
        for (int frame = -1; frame <= 1; ++frame) {
            const int first = from + static_cast<int>(start + frame * p.nominalPeriod);  // the burst's first run
            for (int b = first; b < first + 4; ++b) {
                if (b < 0 || b >= static_cast<int>(runs.size())) continue;
                const bool last = b == first + 3;
                runs[static_cast<std::size_t>(b)] = toneRun(p, last ? 2348.4 : 2969.0, last ? 1.0f : 0.3f);
                sizes[static_cast<std::size_t>(b)] = last ? 1.0f : 0.3f;
            }
        }
        const rx::LineGrid grid = rx::measureLineGrid(runs.data(), sizes.data(), static_cast<int>(runs.size()), from, p.nominalPeriod, p);
        ASSERT_TRUE(grid.present);
        EXPECT_NEAR(std::remainder(grid.start - (from + start), p.nominalPeriod), 0, 1.0);
    }
}

// Bars of black, grey and white across the lines: through a voice channel
// the tone after each burst draws its back edge aside by a curve, here a
// sample late beside black and beside white alike, as late as the frame's
// extra sample. A straight allowance for the tone cannot tell that from
// the step; a curved one can. (The grid's common place takes the bars'
// mean lateness, two thirds of a sample.)
TEST(LineGrid, BarsBesideTheBurstsDrawTheirBacksByACurve) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    const int from = 200;
    constexpr double bars[] = {1727.7, 2038.05, 2348.4};
    for (const double start : {300.0, 1900.0, 3700.0}) {
        SCOPED_TRACE(start);
        std::vector<float> sizes;
        std::vector<cf> runs = burstFold(p, from, from + start, false, sizes);
        for (int frame = -1; frame <= 1; ++frame)
            for (int line = 0; line < p.lines; ++line) {
                // The first run after the burst, and the bar the line is in.
                const int end = static_cast<int>(std::ceil(burstAt(p, from + start, frame, line) + 4 * p.scale - 1));
                const int bar = (line / 2) % 3;
                for (int b = std::max(end, 0); b < std::min(end + 110, static_cast<int>(runs.size())); ++b)
                    runs[static_cast<std::size_t>(b)] = toneRun(p, bars[bar]);
                if (bar != 1) markBurst(p, end, end + 1, runs, sizes);
            }
        expectClearGridAt(p, runs, sizes, from, from + start, 1.5);
    }
}

// A burst's weight with a flat top: the top is its first highest run, and
// each edge lies where the weight falls through half the top, between runs.
TEST(LineGrid, WeightEdgesFallThroughHalfTheTop) {
    const std::vector<float> weight{0.1f, 0.2f, 0.8f, 1.0f, 1.0f, 0.6f, 0.3f, 0.2f};
    const rx::BurstEdges edges = rx::burstEdges(weight.data(), static_cast<int>(weight.size()));
    EXPECT_EQ(edges.top, 3);
    EXPECT_NEAR(edges.front, 1.5, 1e-6);  // 0.2 to 0.8, half way
    EXPECT_NEAR(edges.back, 5 + 1.0 / 3, 1e-6);  // 0.6 to 0.3, a third of the way
}

// A burst's turn rising from one tone and falling to another, smoothed
// alike on both sides: its front and back edges, each half way to the tone
// beside it, have their middle at the burst's middle whatever the tones.
TEST(LineGrid, TurnEdgesHaveTheBurstsMiddleWhateverLiesBeside) {
    // The half-way points fall between samples, at 10 -+ 3.25.
    constexpr int centre = 10;
    constexpr double plateau = 1.25, ramp = 4, top = 0.5;
    for (const auto& [before, after] : {std::pair{-1.2, -0.2}, std::pair{-0.2, -1.2}, std::pair{-0.7, -0.7}}) {
        std::vector<cf> turned(21);
        for (int i = 0; i < 21; ++i) {
            const double beside = i < centre ? before : after;
            const double fall = std::clamp((std::abs(i - centre) - plateau) / ramp, 0.0, 1.0);
            turned[static_cast<std::size_t>(i)] = std::polar(1.0f, static_cast<float>(top - (top - beside) * fall));
        }
        // The turns are worked out where read, or taken as known.
        std::vector<float> unknown(21, std::numeric_limits<float>::quiet_NaN()), known(21);
        for (int i = 0; i < 21; ++i) known[static_cast<std::size_t>(i)] = rx::fastArg(turned[static_cast<std::size_t>(i)]);
        const double back = rx::burstTurnEdge(turned.data(), unknown.data(), 21, centre, after, -1, true);
        const double front = rx::burstTurnEdge(turned.data(), unknown.data(), 21, centre, before, -1, false);
        EXPECT_EQ(rx::burstTurnEdge(turned.data(), known.data(), 21, centre, after, -1, true), back);
        EXPECT_NEAR(back - front, 2 * plateau + ramp, 1e-4);
        EXPECT_NEAR(0.5 * (front + back), centre, 1e-4);
    }
}

TEST(LineGrid, NoBurstsNoGrid) {
    const rx::FramingParameters p = rx::framingParameters(10000);
    const std::vector<cf> runs(5000, toneRun(p, 2348.4));
    const std::vector<float> sizes(5000, 1.0f);
    EXPECT_FALSE(rx::measureLineGrid(runs.data(), sizes.data(), 5000, 200, p.nominalPeriod, p).present);
}

// At the sender's own rate and clock, a frame's video is the demodulated
// capture buffer that starts one sample after the frame's silent sample.
TEST(FrameVideo, OnTheSendersGridAtItsRate) {
    const std::vector<std::uint8_t> sound = eightBit(sentFrames(randomPicture(3), false, 3));
    rx::ReceiverSettings s;
    s.sampleRate = 10000;
    s.frameSamples = 3841;
    s.lowPassCutoff = 1500;
    s.demodMode = rx::DemodFM;
    s.polarity = 1;
    rx::FrameArrays work, plain = rx::makeFrameArrays(3841);
    std::vector<float> video;
    rx::frameVideo(sound.data(), static_cast<std::int64_t>(sound.size()), 3841, 3841, s, work, video);
    // The plain receiver's buffer, cut where the sender's sample 1 comes
    // out of the demodulator's delay.
    std::vector<std::uint8_t> buffer(rx::CaptureBufferBytes + rx::CaptureBufferSlack, 128);
    const int first = 3841 + 1 - rx::demodulatorDelay(s.lowPassCutoff);
    std::copy(sound.begin() + first, sound.begin() + first + 3841 + 4, buffer.begin());
    rx::demodulate(buffer.data(), s, plain);
    for (int m = 2; m < 3800; ++m) ASSERT_NEAR(video[static_cast<std::size_t>(m)], plain.videoSignal[static_cast<std::size_t>(m)], 1e-5) << m;
}

// Rows that follow one linear rule miss nothing when left out, however
// their regressors differ; the one row that holds something else misses
// by what it holds, and a regressor that is the same on every row (so
// that the rule cannot be solved for uniquely) does not upset the rest.
TEST(FramingMeasures, LeftOutMissesPickTheRowThatBreaksTheRule) {
    using cd = std::complex<double>;
    constexpr int Rows = 32, K = 4, M = 2;
    std::vector<cd> x(Rows * K), y(Rows * M);
    for (int r = 0; r < Rows; ++r) {
        const cd before = std::polar(1.0, 0.3 * r), after = std::polar(0.5 + 0.01 * r * r, -0.7 * r);
        const cd row[K] = {1.0, before, after, 1.0};
        std::copy(row, row + K, x.begin() + r * K);
        y[static_cast<std::size_t>(r * M)] = cd(0.2, 0.1) + 0.6 * before - cd(0, 0.3) * after;
        y[static_cast<std::size_t>(r * M + 1)] = cd(-0.4, 0) + cd(0.1, 0.2) * before + 0.9 * after;
    }
    y[static_cast<std::size_t>(7 * M)] += cd(0, 0.05);
    const std::vector<double> misses = rx::leftOutMisses(x.data(), y.data(), Rows, K, M);
    EXPECT_GT(misses[7], 0.05 * 0.05 * 0.9);
    for (int r = 0; r < Rows; ++r) {
        if (r == 7) continue;
        EXPECT_LT(misses[static_cast<std::size_t>(r)], 0.01 * misses[7]) << r;
    }
}

}  // namespace
