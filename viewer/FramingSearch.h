#pragma once
// Where the frame break stands in the last few frames, and how far it
// moves from one frame to the next. The break measure of every sample is
// summed over a short run (the channel's filters spread the one-sample
// break over several) and kept for the last FoldFrames frames; the search
// folds them for a range of frame periods, so that a break drifting with
// the other station's clock still adds up over all of them, and picks the
// period and place where it stands out from the noise.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rx {

class FramingSearch {
public:
    static constexpr int FoldFrames = 8;
    // The break measure is summed over 2 RunReach + 1 samples.
    static constexpr int RunReach = 3;

    struct Found {
        bool found = false;
        double position = 0;  // the break's sample number in the newest frame
        double period = 0;    // samples per frame
        double score = 0;     // how far it stands out: the noise's deviations
    };

    // Frames of about `period` samples (at most maxPeriod), lines of
    // `lineSamples` of which there are `lines` a frame.
    void reset(double maxPeriod, double lineSamples, int lines);
    // Forget what was measured: folds count nothing before sample `from`.
    void restart(std::int64_t from);
    // The break measure of sample n, every sample in order.
    void put(std::int64_t n, float measure);
    // The fold over the last `frames` frames (1..FoldFrames) of the `bins`
    // samples before `end`, for periods period + k step, |k| <= reach.
    Found search(std::int64_t end, int bins, int frames, double period, double step, int reach);

    // While the frames are followed: the fold of the last `frames` frames
    // over the samples within `reach` of `predicted` in the newest, for
    // periods period + k step, |k| <= steps. The break's place in the
    // newest frame, the period, and in `score` how far the break stands
    // out over the fold's floor, per frame; `floor` the floor per sample.
    Found follow(double predicted, int reach, int frames, double period, double step, int steps, double& floor);

private:
    bool decide(const std::vector<double>& row, int bins, int frames, double contrast, double share,
                double minScore, int& peak, double& score) const;
    float run(std::int64_t n) const { return runs_[static_cast<std::size_t>(n) & mask_]; }
    bool decide(const std::vector<double>& row, int bins, double share, double minScore, int& peak,
                double& score) const;

    double lineSamples_ = 120;
    int lines_ = 32;
    std::size_t mask_ = 0;
    std::vector<float> measures_, runs_;
    std::int64_t from_ = 0;  // measures before this are taken as none
    std::vector<float> recent_, sums_;
    std::vector<double> row_, best_, comb_, peaks_;
};

}  // namespace rx
