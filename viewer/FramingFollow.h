#pragma once
// The framing tracker's follow state: a tracking loop. Once the search has
// found the frame, each frame is expected one period after the last; the
// break is measured in the fold of the last frames about that place, and
// the line sync bursts (when the sender sends them) in the sum of the
// frame's lines about where the grid puts them. The measured error moves
// the start by the loop's phase gain and the period by its period gain, a
// second-order loop that follows a sound card's clock error without
// standing error. Without a measure the loop runs on at its period.
#include <complex>
#include <cstdint>
#include <utility>
#include <vector>

#include "viewer/FramingParameters.h"
#include "viewer/FramingSearch.h"

namespace rx {

class FramingFollow {
public:
    void reset(const FramingParameters& p) { p_ = p; }
    // The frame found starts at `start`; frames are `period` long. A
    // receiver tuned low turns the bursts `whiteLowered` radians a run less
    // (LineGrid::whiteLowered).
    void lock(double start, double period, bool sync, double whiteLowered = 0);

    double expectedStart() const { return start_ + period_; }
    double period() const { return period_; }
    bool sync() const { return sync_; }
    // Sample ranges [first, last] of run phasors the next frame's measure
    // reads from this frame: about the expected start and each burst.
    void windows(std::vector<std::pair<std::int64_t, std::int64_t>>& out) const;

    struct Step {
        double start = 0;       // where this frame starts
        bool measured = false;  // the break or the bursts placed it
        bool bursts = false;    // the bursts were there
        bool tone = false;      // the windows hold a tone
        double confidence = 0;  // >= 1 when the break or bursts stand clear
        bool moved = false;     // the bursts or the break stand further off than a clock moves them
    };
    // Measures the expected frame from the run phasors held (`runs`, where
    // the windows of this and the last frames were put) and moves on.
    Step follow(const FramingSearch& runs);

private:
    bool toneHeard(const FramingSearch& runs, double expected) const;
    double breakError(const FramingSearch& runs, double expected, double& confidence, double& period) const;
    double turnError(const FramingSearch& runs, double expected, double& confidence) const;
    bool burstError(const FramingSearch& runs, double expected, double& error) const;

    FramingParameters p_;
    double start_ = 0, period_ = 0;
    bool sync_ = false;
    std::complex<float> beyondWhite_{1, 0};  // p_.beyondWhite, turned back by the mistuning
    int followed_ = 0;  // frames of break windows the fold can read
};

}  // namespace rx
