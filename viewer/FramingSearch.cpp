#include "viewer/FramingSearch.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "core/SignalFormat.h"
#include "viewer/FramingMeasures.h"
#include "viewer/LineGrid.h"
#include "viewer/RingPieces.h"

namespace rx {

namespace {

// Run phasors put into the ring together.
constexpr std::size_t PutBlock = 4;

// What makes the break clear: its peak, once the line-periodic part is
// taken out, is at least BreakFloor high, RivalRatio times anything else in
// the frame and BreakSigmas deviations above the frame's mean.
constexpr float BreakFloor = 0.25f;
constexpr float RivalRatio = 2.0f;
constexpr float BreakSigmas = 8.0f;
// The turn against the neighbouring lines sees picture features too, a
// line wide and a few rows high (a letter's stroke); it is taken on a full
// fold only, and with a margin of TurnClear.
constexpr double TurnClear = 1.25;
// Without line sync nothing checks where the turn places the start, and a
// faint turn (a page with little on it, at 15 dB) wanders by a few
// samples from fold to fold; it must stand out twice as clearly.
constexpr double TurnClearAlone = 2.5;
// The tone either side of the turn's peak is read this many sender samples
// away, clear of the channel's smear of the restart.
constexpr double SeamStepSamples = 16;
// With line sync the grid places the start to a fraction of a sample, but
// its slip, which tells the line, rests on the frame's first burst, and the
// restart just before that burst can draw it aside by about the slip
// itself, as can a picture whose rows beside the bursts change across the
// frame: the grid's step then stands a burst off. The break lies on the
// grid when it puts the start within AgreeSamples before where the grid
// does, or would with its step some bursts off, or within LateSamples
// after it: the burst right after the restart draws the break later, by
// up to its own length and a sample. Of a break and a grid that
// disagree, one Outweighs times clearer than the other is taken; a break
// BreakVeto as clear as a lock needs anywhere but at the grid's start is
// enough to doubt the grid, however much worse the grid fits the break's
// line (big letters reaching the picture's edges draw the bursts aside on
// every line they touch and can stand the slip clear lines off), unless
// the bursts' front edges set it aside: where the break is short of
// clear, the fronts fit the bursts nearly as well as the backs do, fit the
// grid's step best and not the break's, and the break lies two or more
// lines from the step (at 15 dB a page with little on it leaves faint
// breaks anywhere). A break a line from the step they do not set aside:
// there the grid may be the one a line off (a picture's column beside the
// frame's start draws backs and fronts alike). The tracker takes no start
// they set a break aside for within a fold of a break a line off, nor
// where the break stays put: big letters stand the step lines off with
// the fronts too, and leave a faint restart where the frame starts. Two
// pieces that agree add up.
constexpr double AgreeSamples = 3;
constexpr double LateSamples = nbtv::SyncPulseSamples + 1;
constexpr double Outweighs = 3;
constexpr double BreakVeto = 0.3;
constexpr double AgreeingShare = 0.5;
// The restart's turn at the grid's line starts: clear where it is at least
// LineTurnFloor high (a turn of about 11 degrees) and LineTurnRatio times
// the turn at every other line's start.
constexpr float LineTurnFloor = 0.01f;
constexpr float LineTurnRatio = 8.0f;
// Where it is a fifth as clear as that at another line than the one the
// rest picks, the two disagree: a picture's column a line wide beside the
// frame's start (a border drawn round a card) leaves a break a line
// aside, and the restart at a line, though faint, where the frame starts.
constexpr double LineTurnVeto = 0.2;
// The restart read against the tones about the lines' starts is clear
// where the line it picks misses the prediction FrontMissClear times as
// far (in amplitude, each weighed against the other lines' misses there)
// as the next line does. Below FrontMissBearsOut of that its line is
// another as often as one time in four: it bears out nothing.
constexpr double FrontMissClear = 2.5;
constexpr double FrontMissBearsOut = 0.6;
// The restart at a line alone, where the fronts' misses do not bear it
// out, needs to be this clear.
constexpr double TurnAloneClear = 1.5;
// The bursts' back edges, regressed on the tones about them, bear the
// grid's line out where the line they fit best fits BackFitBears times
// better (in amplitude) than the next best: a grid they bear out stands
// against a faint break or restart elsewhere, and one at least
// AgreeingShare as clear as a lock needs is clear with them where they fit
// BackFitClear times better.
constexpr double BackFitBears = 1.15;
constexpr double BackFitClear = 1.2;
// Without line sync, where neither the break nor its turn stands clear,
// the turn weighted by how far the tone's size dips below that a line
// either side: the restart's jump, which the channel passes only in part,
// dips the size where it turns, whereas a letter's stroke (a change of the
// tone, which a voice channel passes whole) turns without a dip. Clear
// when at least DipFloor high (as high as a turn clear on its own, were
// the size to dip to nothing), DipRivalRatio times anything else in the
// frame (twice what the turn asks) and DipSigmas deviations above the
// frame's mean.
constexpr float DipFloor = 0.02f;
constexpr float DipRivalRatio = 8.0f;
constexpr float DipSigmas = 8.0f;

double breakConfidence(const Peak& peak) { return peakClearness(peak, BreakFloor, RivalRatio, BreakSigmas); }

// The highest of a row of values, where it stands, and the next highest.
template <typename T>
struct TopTwo {
    T best = 0, second = 0;
    int at = 0;
    void take(T here, int where) {
        if (here > best) {
            second = best;
            best = here;
            at = where;
        } else {
            second = std::max(second, here);
        }
    }
};

}  // namespace

bool FramingSearch::toneRunsOnAcross(int bins, double at) const {
    const int seamApart = static_cast<int>(std::lround(SeamStepSamples * p_.scale));
    return std::abs(toneStep(best_.runs.data(), bins, static_cast<int>(std::lround(at)), seamApart, p_.run)) <= p_.whiteTurn;
}

double FramingSearch::dippedTurn(int bins, int margin, double period, Peak& placed) {
    // In the fold that lines the frames up best, and its turn.
    if (turnCoherent_.size() != static_cast<std::size_t>(bins)) return 0;
    const int inFrame = static_cast<int>(std::floor(period));
    const int line = static_cast<int>(std::lround(p_.linePeriod * period / p_.nominalPeriod));
    profile_.assign(static_cast<std::size_t>(bins), 0.0f);
    const float* sizes = best_.sizes.data();
    for (int b = margin; b < margin + inFrame; ++b) {
        const float beside = 0.5f * (sizes[b - line] + sizes[b + line]);
        const float dip = beside > 0 ? std::max(0.0f, 1 - sizes[b] / beside) : 0.0f;
        profile_[static_cast<std::size_t>(b)] = turnCoherent_[static_cast<std::size_t>(b)] * dip;
    }
    const Peak peak = strongestPeak(profile_.data() + margin, inFrame, p_.peakExclusion, true);
    const double confidence = peakClearness(peak, DipFloor, DipRivalRatio, DipSigmas);
    if (confidence < 1) return 0;
    // Placed, and its width and the tone either side judged, as the
    // turn's own peak is.
    const float* turn = turnCoherent_.data() + margin;
    Peak turnPeak = peak;
    turnPeak.height = turn[peak.at];
    const double middle = halfHeightMiddle(turn, inFrame, turnPeak) + margin;
    if (!toneRunsOnAcross(bins, middle) || !aboutARun(peakWidth(turn, inFrame, turnPeak, p_.peakExclusion), p_.scale)) return 0;
    placed = turnPeak;
    placed.position = middle;
    return confidence;
}

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

void FramingSearch::put(std::int64_t first, const float* re, const float* im, std::size_t count) {
    forRingPieces(first, count, mask_, [&](std::size_t done, std::size_t at, std::size_t n) {
        const float* pieceRe = re + done;
        const float* pieceIm = im + done;
        // A block at a time (for vector registers), then the rest.
        std::size_t i = 0;
        for (; i + PutBlock <= n; i += PutBlock) {
            float size[PutBlock];
            for (std::size_t j = 0; j < PutBlock; ++j)
                size[j] = std::sqrt(pieceRe[i + j] * pieceRe[i + j] + pieceIm[i + j] * pieceIm[i + j]);
            std::copy(size, size + PutBlock, sizes_.begin() + static_cast<std::ptrdiff_t>(at + i));
        }
        for (; i < n; ++i) sizes_[at + i] = std::sqrt(pieceRe[i] * pieceRe[i] + pieceIm[i] * pieceIm[i]);
        for (i = 0; i < n; ++i) runs_[at + i] = {pieceRe[i], pieceIm[i]};
    });
}

float FramingSearch::weakSize(const Fold& fold, int bins) const {
    double total = 0;
    for (int b = 0; b < bins; ++b) total += fold.sizes[static_cast<std::size_t>(b)];
    return static_cast<float>(p_.weakShare * total / bins);
}

void FramingSearch::breakProfile(const Fold& fold, int bins, std::vector<float>& profile) const {
    const float weak = weakSize(fold, bins);
    const ToneArc arc = toneArc(p_);
    profile.resize(static_cast<std::size_t>(bins));
    for (int b = 0; b < bins; ++b) {
        const std::size_t i = static_cast<std::size_t>(b);
        profile[i] = breakMeasure(fold.runs[i], fold.sizes[i], weak, arc);
    }
}

double FramingSearch::lineStart(double gridStart, double period, int j) const {
    const double line = p_.linePeriod * period / p_.nominalPeriod;
    const double extra = period - p_.lines * line;
    return gridStart + j * line + (j != 0 ? extra : 0.0);
}

double FramingSearch::lineTurn(int bins, int margin, double period, double gridStart, int& lines) {
    // The line sync bursts, alike on every line, cancel in the turn, and
    // so, at a line's start, do the picture's rows either side of it, which
    // match those a line before or after; what is left at the frame's start
    // is the restart's jump. Picture features a line wide elsewhere in the
    // frame, which hide the restart's turn from a search of the whole
    // frame, are not read at all.
    const double line = p_.linePeriod * period / p_.nominalPeriod;
    const int inFrame = static_cast<int>(std::floor(period));
    turn_.assign(static_cast<std::size_t>(bins), 0.0f);
    turnProfile(best_.runs.data(), best_.sizes.data(), bins, margin, inFrame, line, weakSize(best_, bins), turn_.data());
    TopTwo<float> top;
    for (int j = 0; j < p_.lines; ++j) {
        // The run that spans the restart, were the frame to start there.
        const double at = lineStart(gridStart, period, j) - 0.5 * p_.run - 0.5 * p_.scale;
        const int centre = margin + static_cast<int>(std::lround(std::fmod(std::fmod(at - margin, period) + period, period)));
        float here = 0;
        for (int d = -1; d <= 1; ++d) {
            int i = centre + d;
            if (i >= margin + inFrame) i -= inFrame;
            if (i < margin) i += inFrame;
            here = std::max(here, turn_[static_cast<std::size_t>(i)]);
        }
        top.take(here, j);
    }
    lines = top.at;
    return std::min(top.best / LineTurnFloor, top.second > 0 ? top.best / (LineTurnRatio * top.second) : top.best / LineTurnFloor);
}

std::vector<double> FramingSearch::burstMisses(int margin, double period, double gridStart, int tried, double edge) {
    const double line = p_.linePeriod * period / p_.nominalPeriod;
    // A back edge's own runs reach a run past the burst: the line's first
    // rows are read that much further on.
    const bool back = edge > 0;
    const long before = p_.run + std::lround(2 * p_.scale),
               after = p_.burstSamples + std::lround(p_.scale) + (back ? p_.run : 0);
    const double centre = 0.5 * p_.run + 0.5 * p_.scale;
    const std::size_t lines = static_cast<std::size_t>(p_.lines);
    burstRegressors_.resize(lines * BurstRegressors);
    burstValues_.resize(lines * BurstValues);
    auto run = [&](long bin) { return std::complex<double>(best_.runs[static_cast<std::size_t>(bin)]); };
    const double start = lineStart(gridStart, period, tried);
    for (std::size_t m = 0; m < lines; ++m) {
        // The sample before line m's burst, within the fold's frame.
        const double place = margin + std::fmod(std::fmod(start + static_cast<double>(m) * line - margin, period) + period, period);
        const long s = std::lround(place), at = std::lround(place + edge - centre);
        std::complex<double>* x = burstRegressors_.data() + m * BurstRegressors;
        std::complex<double>* y = burstValues_.data() + m * BurstValues;
        x[0] = 1.0;
        x[1] = run(s - before);
        x[2] = run(s + after);
        // A front is read against the line before's end further back too,
        // a back edge against the burst's own tone.
        x[3] = back ? run(s) : run(s - 3 * before);
        x[4] = run(s + 3 * after);
        for (int d = 0; d < BurstValues; ++d) y[d] = run(at + d - 1);
    }
    return leftOutMisses(burstRegressors_.data(), burstValues_.data(), p_.lines, BurstRegressors, BurstValues);
}

double FramingSearch::frontMiss(int margin, double period, double gridStart, int& lines) {
    // Were the frame to start at a given line, its 32 bursts would stand
    // a line apart from a sample after that start on. Each burst's front,
    // the run that spans the sample before it and its neighbours, is set
    // against the tones a little before it (the line before it ends) and a
    // little after it (the line's own first rows): on every line but the
    // frame's first, what the channel makes of a burst's front follows one
    // rule, whatever the tones either side; where the frame starts, the
    // restart does not. Each line is tried as the start, and its front's
    // miss weighed against the other lines' misses there.
    TopTwo<double> top;
    for (int j = 0; j < p_.lines; ++j) {
        const std::vector<double> misses = burstMisses(margin, period, gridStart, j, 0);
        double others = 0;
        for (int m = 1; m < p_.lines; ++m) others += misses[static_cast<std::size_t>(m)];
        const double here = others > 0 ? misses[0] * (p_.lines - 1) / others : 0.0;
        top.take(here, j);
    }
    lines = top.at;
    return top.second > 0 ? std::sqrt(top.best / top.second) / FrontMissClear : 0.0;
}

double FramingSearch::backFit(int margin, double period, double gridStart, int& lines) {
    // Were the frame to start at a given line, the bursts of the lines
    // before that start in the fold stand a sample (the frame's extra one)
    // earlier than those after. Each burst's back edge, the runs that span
    // its last sample and its neighbours, is regressed on the tones about
    // it (the burst itself, the line's first rows, the line before's end);
    // where the lines are placed right, one rule fits every line.
    TopTwo<double> top;  // of the inverse totals: the best fit is the least
    for (int j = 0; j < p_.lines; ++j) {
        double total = 0;
        for (const double miss : burstMisses(margin, period, gridStart, j, p_.burstSamples)) total += miss;
        top.take(total > 0 ? 1 / total : 0.0, j);
    }
    lines = top.at;
    return top.second > 0 ? std::sqrt(top.best / top.second) : 0.0;
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
    double bestBreak = -1, bestTurn = -1, bestCoherence = -1;
    double breakPeriod = period, turnPeriod = period;
    Peak breakPeak, turnPeak;
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
            together += std::sqrt(std::norm(f.runs[static_cast<std::size_t>(b)]));
            apart += f.sizes[static_cast<std::size_t>(b)];
        }
        const double coherence = apart > 0 ? together / apart : 0;
        breakProfile(f, bins, profile_);
        lineFree_.assign(profile_.size(), 0.0f);
        const double line = p_.linePeriod * trial / p_.nominalPeriod;
        takeOutLines(profile_.data(), bins, margin, inFrame, line, lineFree_.data());
        turn_.assign(profile_.size(), 0.0f);
        const bool turns = frames >= p_.foldFrames;
        if (turns) turnProfile(f.runs.data(), f.sizes.data(), bins, margin, inFrame, line, weakSize(f, bins), turn_.data());
        for (auto [profile, best, bestPeak, bestPeriod] : {std::tuple{&lineFree_, &bestBreak, &breakPeak, &breakPeriod},
                                                           std::tuple{&turn_, &bestTurn, &turnPeak, &turnPeriod}}) {
            if (profile == &turn_ && !turns) continue;
            Peak peak = strongestPeak(profile->data() + margin, inFrame, p_.peakExclusion, true);
            peak.position += margin;
            if (peak.height - peak.rival > *best) {
                *best = peak.height - peak.rival;
                *bestPeriod = trial;
                *bestPeak = peak;
                if (profile == &turn_) turnBest_ = turn_;
            }
        }
        if (coherence > bestCoherence) {
            bestCoherence = coherence;
            found.period = trial;
            std::swap(best_, work_);
            if (turns) turnCoherent_ = turn_;
        }
    }
    found.coherence = std::max(0.0, bestCoherence);

    // The line sync grid, in the fold that lines the frames up best.
    const LineGrid grid = measureLineGrid(best_.runs.data(), best_.sizes.data(), bins, margin, found.period, p_);
    found.syncPresent = grid.present;
    found.whiteLowered = grid.whiteLowered;
    found.someBursts = grid.present || grid.someBursts;
    found.gridConfidence = grid.confidence;
    found.gridStart = static_cast<double>(first) + grid.start;

    // The break: a run phasor centred on its turn; the turn at the restart
    // spans the sender's sample before the frame's first. Where it does not
    // stand clear outside the tones' arc, its turn against the neighbouring
    // lines may. With line sync the grid keeps that from placing it a few
    // samples aside; without, it is taken only where the tone runs on
    // across it: where the frame's last line and its first differ by more
    // than half the tones' span (a gradient or bars across the picture),
    // the channel's smear of that step draws the turn's peak aside.
    found.breakConfidence = breakConfidence(breakPeak);
    if (frames >= p_.foldFrames && found.breakConfidence < 1) {
        const float* turn = turnBest_.data() + margin;
        const int count = static_cast<int>(turnBest_.size()) - margin;
        const double middle = halfHeightMiddle(turn, count, turnPeak) + margin;
        const bool toneRunsOn = toneRunsOnAcross(bins, middle);
        const double turnConfidence = turnClearness(turnPeak, peakWidth(turn, count, turnPeak, p_.peakExclusion), p_.scale) /
                                      (grid.present ? TurnClear : TurnClearAlone);
        if ((grid.present || toneRunsOn) && turnConfidence > found.breakConfidence) {
            found.breakConfidence = turnConfidence;
            breakPeak = turnPeak;
            breakPeak.position = middle;
            breakPeriod = turnPeriod;
        }
    }
    // Without line sync, where neither stands clear, the turn where the
    // tone's size dips.
    if (!grid.present && frames >= p_.foldFrames && found.breakConfidence < 1) {
        const double dipped = dippedTurn(bins, margin, found.period, breakPeak);
        if (dipped > found.breakConfidence) {
            found.breakConfidence = dipped;
            breakPeriod = found.period;
        }
    }
    found.breakStart = static_cast<double>(first) + breakPeak.position + 0.5 * p_.run + 0.5 * p_.scale;

    auto apart = [&](double a, double b) { return std::abs(std::remainder(a - b, found.period)); };
    const bool breakClear = found.breakConfidence >= 1, gridClear = found.gridConfidence >= 1;
    found.start = grid.present ? found.gridStart : found.breakStart;
    if (grid.present) {
        // The frame start the grid gives were its step j bursts off: j
        // lines and the extra sample aside. The one nearest the break: the
        // grid places it to a fraction of a sample, the break tells the
        // line.
        double nearest = found.gridStart;
        int linesOff = 0;
        for (int j = -p_.lines / 2; j < p_.lines / 2; ++j) {
            const double at = lineStart(found.gridStart, found.period, j);
            if (apart(found.breakStart, at) < apart(found.breakStart, nearest)) {
                nearest = at;
                linesOff = j;
            }
        }
        // Whether the bursts' front edges bear out the line the break picks:
        // a burst whose back edge the picture beside it draws aside leaves
        // a faint break of its own, where the grid's slip is not clear.
        const int breakSlip = ((grid.slip + linesOff) % p_.lines + p_.lines) % p_.lines;
        const bool frontsAgree = grid.frontsFit.empty() || grid.frontsFit[static_cast<std::size_t>(breakSlip)];
        const double breakLate = std::remainder(found.breakStart - nearest, found.period);
        const bool onGrid = breakLate >= -AgreeSamples * p_.scale && breakLate <= LateSamples * p_.scale;
        const bool sameLine = onGrid && apart(nearest, found.gridStart) < 1;
        // A break anywhere but at the grid's start holds the grid back,
        // unless the grid is far clearer (a break the channel smeared can
        // lie a few samples off the grid, so one off it still counts); a
        // clear break on the grid where the grid is far less clear tells
        // the line, and where the grid is not clear, so does one the
        // bursts' front edges bear out. A grid and a break that both fall
        // short of clear but put the start in one place, each at least
        // AgreeingShare as clear as a lock needs, are clear together.
        // The restart's turn at the grid's line starts, on a full fold; a
        // break it bears out at the break's line counts the more against
        // the grid.
        int turnLines = 0;
        if (frames >= p_.foldFrames) {
            found.lineTurnConfidence = lineTurn(bins, margin, found.period, grid.start, turnLines);
            found.lineTurnStart = lineStart(found.gridStart, found.period, turnLines);
            int missLines = 0;
            found.frontMissConfidence = frontMiss(margin, found.period, grid.start, missLines);
            found.frontMissStart = lineStart(found.gridStart, found.period, missLines);
            int backLines = 0;
            found.backFitRatio = backFit(margin, found.period, grid.start, backLines);
            found.backFitStart = lineStart(found.gridStart, found.period, backLines);
        }
        const bool turnBearsOut = found.lineTurnConfidence > 0 && apart(found.lineTurnStart, found.breakStart) <= AgreeSamples * p_.scale;
        const double breakWeight = found.breakConfidence + (turnBearsOut ? found.lineTurnConfidence : 0.0);
        const bool breakNear = breakWeight >= BreakVeto && !sameLine;
        const bool frontsSetAside = breakWeight < 1 && grid.frontsTell && !frontsAgree &&
                                    grid.frontsFit[static_cast<std::size_t>(grid.slip)] && std::abs(linesOff) >= 2;
        const bool breakSeen = breakNear && !frontsSetAside;
        // A grid the bursts' back edges bear out stands against a break
        // elsewhere, but where the fronts' misses put the start on another
        // line the break counts as set aside (the tracker waits while
        // breaks a line off show): the backs time the same bursts the grid
        // does, and a picture that draws the grid a line off can draw them.
        const bool backsBearGridOut = found.backFitRatio >= BackFitBears && apart(found.backFitStart, found.gridStart) <= AgreeSamples * p_.scale;
        const bool gridWins = gridClear && (!breakSeen || backsBearGridOut || found.gridConfidence >= Outweighs * breakWeight);
        const bool frontsDoubtGrid = found.frontMissConfidence >= FrontMissBearsOut &&
                                     apart(found.frontMissStart, found.gridStart) > AgreeSamples * p_.scale;
        found.breakSetAside = gridWins && breakNear && (!backsBearGridOut || frontsDoubtGrid) &&
                              found.gridConfidence < Outweighs * breakWeight;
        found.breakNextLine = breakNear && std::abs(linesOff) == 1;
        // On a full fold, a break alone stands only where the lines'
        // starts, read against the tones about them, put the restart on its
        // line too: a line whose burst has dark tones before it and light
        // after can leave a break of its own.
        const bool frontMissAgrees = found.frontMissConfidence == 0 || (found.frontMissConfidence >= FrontMissBearsOut &&
                                                                   apart(found.frontMissStart, nearest) <= AgreeSamples * p_.scale);
        const bool breakWins = breakClear && onGrid && !gridWins && frontMissAgrees &&
                               (gridClear ? found.breakConfidence >= Outweighs * found.gridConfidence : frontsAgree);
        if (gridWins) {
            found.clear = true;
            found.confidence = std::max(found.gridConfidence, sameLine ? found.breakConfidence : 0.0);
        } else if (sameLine && found.gridConfidence >= AgreeingShare && found.breakConfidence >= AgreeingShare &&
                   found.gridConfidence + found.breakConfidence >= 1) {
            found.clear = true;
            found.confidence = found.gridConfidence + found.breakConfidence;
        } else if (breakWins) {
            found.clear = true;
            found.start = nearest;
            found.confidence = found.breakConfidence;
        } else {
            // Nothing clear, or the two disagree.
            found.confidence = gridClear && breakClear ? 0 : std::max(found.gridConfidence, found.breakConfidence);
        }
        // The restart's turn at the grid's line starts tells the line on
        // its own, on a full fold: where nothing else is clear it decides,
        // where the rest agrees it adds to it, and where the rest is clear
        // about another line nothing is, even where it is itself far from
        // clear.
        const bool turnElsewhere = apart(found.start, found.lineTurnStart) > AgreeSamples * p_.scale;
        // Alone, a faint restart at a line stands only where the fronts'
        // misses bear it out: a bordered card's margin turns its burst's
        // front against the lines either side as a faint restart does.
        const bool frontsBearTurnOut = found.frontMissConfidence >= FrontMissBearsOut &&
                                       apart(found.frontMissStart, found.lineTurnStart) <= AgreeSamples * p_.scale;
        const bool turnStands = found.lineTurnConfidence >= TurnAloneClear || frontsBearTurnOut;
        if (found.lineTurnConfidence >= 1) {
            if (!found.clear) {
                if (turnStands) {
                    found.clear = true;
                    found.start = found.lineTurnStart;
                    found.confidence = found.lineTurnConfidence;
                }
            } else if (!turnElsewhere) {
                found.confidence += found.lineTurnConfidence;
            } else {
                found.clear = false;
                found.confidence = 0;
            }
        } else if (found.clear && turnElsewhere && found.lineTurnConfidence >= LineTurnVeto && !(gridWins && backsBearGridOut)) {
            // (A faint restart at another line does not doubt a grid the
            // backs bear out.)
            found.clear = false;
            found.confidence = 0;
        }
        // A grid at least half clear that the backs bear out well is clear
        // with them, unless a clear break or restart at a line puts the
        // start elsewhere.
        if (!found.clear && found.gridConfidence >= AgreeingShare && found.backFitRatio >= BackFitClear && backsBearGridOut &&
            !(breakClear && !sameLine) && !(found.lineTurnConfidence >= 1 && turnElsewhere)) {
            found.clear = true;
            found.start = found.gridStart;
            found.confidence = found.gridConfidence + found.backFitRatio - 1;
        }
        if (!found.clear && found.frontMissConfidence >= 1) {
            found.clear = true;
            found.start = found.frontMissStart;
            found.confidence = found.frontMissConfidence;
        }
    } else {
        // Without bursts, a fold that lines the frames up best at the end
        // of the periods tried is the slope of a peak beyond them (a moving
        // picture may fold most alike at a period no clock gives): the
        // frames are then as long as the fold in which the break stands
        // highest, if that is not at the end too.
        auto inRange = [&](double trial) { return std::abs(trial - period) < (p_.periodSteps - 0.5) * p_.periodStep; };
        if (!inRange(found.period)) found.period = breakPeriod;
        // Where the sender sends line sync but the bursts are too faint to
        // time, the burst right after the restart can draw a faint break
        // aside: the break alone must then be far clearer.
        found.clear = breakClear && inRange(found.period) && (!found.someBursts || found.breakConfidence >= Outweighs);
        found.confidence = found.breakConfidence;
    }
    // The start in the newest frame.
    while (found.start >= static_cast<double>(end)) found.start -= found.period;
    while (found.start < static_cast<double>(end) - found.period) found.start += found.period;
    return found;
}

}  // namespace rx
