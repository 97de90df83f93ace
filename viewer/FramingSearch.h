#pragma once
// The framing tracker's search state: epoch folding. The run phasors of
// every sample of the last few frames are kept; at the end of each frame
// they are folded at every period the clock error allows, the folds are
// measured for the break (the phase restart) and for the line grid's slip,
// and the search says where the newest frame starts, if the evidence is
// clear. The follow state (FramingFollow) folds the same runs about each
// expected start once the frame is found.
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "viewer/FramingMeasures.h"
#include "viewer/FramingParameters.h"

namespace rx {

// What one fold of frames shows.
struct FoldFinding {
    bool clear = false;       // the evidence points at one start
    double start = 0;         // sample number of the newest frame's start
    double period = 0;        // the fold's period, samples a frame
    double confidence = 0;    // >= 1 when clear, the clearer the higher
    // The pieces of evidence on their own (for measuring what each is worth):
    double breakConfidence = 0;  // the break's peak, >= 1 when clear on its own
    double breakStart = 0;
    double gridConfidence = 0;   // the line sync grid's slip, >= 1 when clear
    double gridStart = 0;
    double lineTurnConfidence = 0;  // the restart's turn at the grid's line starts
    double lineTurnStart = 0;
    // The restart at the grid's line starts read against the tones about
    // each line's burst (FramingSearch::frontMiss), >= 1 when clear.
    double frontMissConfidence = 0;
    double frontMissStart = 0;
    // The bursts' back edges regressed on the tones about them: how much
    // worse the next best line fits than the best (>= 1).
    double backFitRatio = 0;
    double backFitStart = 0;
    bool syncPresent = false;    // line sync bursts stand out at every line
    bool someBursts = false;     // or at least at some: the sender sends them
    double whiteLowered = 0;     // the grid's LineGrid::whiteLowered
    double coherence = 0;        // how alike the folded frames are, 0..1
    // With line sync: the start is clear only because the bursts' front
    // edges set aside a break two or more lines from the grid's step; a
    // break stands a line from it.
    bool breakSetAside = false;
    bool breakNextLine = false;
};

class FramingSearch {
public:
    void reset(const FramingParameters& p);
    // Folds count nothing before sample `from`.
    void restart(std::int64_t from);
    // The run phasor that starts at sample n (the turn over samples n + 1 ..
    // n + run), for every sample in order, or for the samples a follower
    // needs.
    void put(std::int64_t n, std::complex<float> run) {
        const std::size_t i = static_cast<std::size_t>(n) & mask_;
        runs_[i] = run;
        sizes_[i] = std::sqrt(std::norm(run));
    }
    // The run phasors of samples first .. first + count - 1.
    void put(std::int64_t first, const float* re, const float* im, std::size_t count);
    std::complex<float> runAt(std::int64_t n) const {
        return n < from_ ? std::complex<float>{} : runs_[static_cast<std::size_t>(n) & mask_];
    }
    float sizeAt(std::int64_t n) const { return n < from_ ? 0.0f : sizes_[static_cast<std::size_t>(n) & mask_]; }
    // The samples held.
    std::int64_t reach() const { return static_cast<std::int64_t>(mask_); }

    // The fold of the last `frames` frames that end before sample `end`,
    // about `period` (every period the clock error allows).
    FoldFinding search(std::int64_t end, double period, int frames);

private:
    struct Fold {
        std::vector<std::complex<float>> runs;
        std::vector<float> sizes;
    };
    // The size below which a place counts for less: a share of the fold's mean.
    float weakSize(const Fold& fold, int bins) const;
    void breakProfile(const Fold& fold, int bins, std::vector<float>& profile) const;
    // Where a frame would start were it to start at the grid's line j,
    // the grid's own start being `gridStart`: j lines on, and for any line
    // but 0 the frame's extra sample too.
    double lineStart(double gridStart, double period, int j) const;
    // The restart's turn at the places where the grid puts the lines'
    // starts in the fold that lines the frames up best: how clear, and
    // how many lines on from the grid's start.
    double lineTurn(int bins, int margin, double period, double gridStart, int& lines);
    // The same places read against the tones about each line's burst:
    // the line whose burst's front misses most what the other lines'
    // fronts, read against the tones before and after them, predict (in
    // `lines`), and how clear, >= 1 when it misses 2.5 times as far as the
    // next line's.
    double frontMiss(int margin, double period, double gridStart, int& lines);
    // The bursts' back edges at the grid's line starts, regressed on the
    // tones about them, each line tried as the frame's start: the line
    // whose placing fits best (in `lines`), and how much worse the next
    // best fits (the ratio of their summed misses' roots, >= 1).
    double backFit(int margin, double period, double gridStart, int& lines);
    // The left-out misses (leftOutMisses) of the 32 bursts' edges were the
    // frame to start at the grid's line `tried`: each burst's runs about
    // `edge` samples after the sample before it (0 its front, the burst's
    // length its back) regressed on the tones about the burst.
    std::vector<double> burstMisses(int margin, double period, double gridStart, int tried, double edge);
    static constexpr int BurstRegressors = 5, BurstValues = 3;
    // Whether the tone of the fold that lines the frames up best runs on
    // across place `at` (within half the tones' span either side of it).
    bool toneRunsOnAcross(int bins, double at) const;
    // Without line sync, the restart's turn where the tone's size dips: how
    // clear (0 where not), and its peak placed as the turn's.
    double dippedTurn(int bins, int margin, double period, Peak& placed);

    FramingParameters p_;
    std::size_t mask_ = 0;
    std::vector<std::complex<float>> runs_;
    std::vector<float> sizes_;
    std::int64_t from_ = 0;
    // Working space, kept from frame to frame.
    std::vector<std::complex<float>> recentRuns_;
    std::vector<float> recentSizes_, profile_, lineFree_, turn_, turnBest_;
    std::vector<float> turnCoherent_;  // the turn of the fold that lines the frames up best
    std::vector<std::complex<double>> burstRegressors_, burstValues_;
    Fold work_, best_;
};

}  // namespace rx
