#pragma once
// Finds the sender's frames in the received sound by themselves.
//
// What the sender's frame guarantees: every frame is one silent sample at
// which the FM tone's phase restarts from 0, then 32 lines; it is one
// sample longer than its lines, so the line grid slips by a sample where
// one frame ends and the next begins; with line sync on, every line starts
// with a burst above white. Nothing else marks the frame.
//
// The method, in the terms of the trade:
// - Discriminator. A complex band-pass over the tones' band gives the
//   analytic signal; the run phasor z[n + run] z*[n] measures the phase the
//   tone turns through over a run of a few samples, about as long as a
//   voice channel spreads a one-sample event.
// - Break measure (FramingMeasures.h). Picture tones turn a run through an
//   arc of angles; the restart adds an arbitrary jump, so the run that holds
//   it lies outside the arc, or, where the jump changes from frame to frame
//   (a moving picture), its phasors cancel. The turn measure compares each
//   place's run with those a line before and after, which a picture keeps
//   alike: a restart stands out of it whatever its angle (used with line
//   sync, whose grid keeps it from placing the start a few samples aside).
//   Without line sync, where a picture's strokes turn as far, the turn is
//   weighted by how far the tone's size dips there: a voice channel passes
//   the restart's jump only in part, and a stroke whole.
// - Epoch folding (FramingSearch.h). The run phasors of the last eight
//   frames are summed (coherently, so that noise cancels and a still
//   picture adds up) at every period a clock error of up to 600 ppm allows.
//   In the fold the break stands out once the line-periodic part (line
//   sync bursts, picture features the neighbouring lines share) is taken
//   out, and the line sync bursts, timed line by line, show the grid's
//   slip (LineGrid.h). Without line sync the break standing clear of
//   everything else in the frame, the same two frames running, gives the
//   lock; with line sync the grid places the start and the break tells
//   the line (the grid's own unless it is far clearer), as does the turn
//   measure read at the grid's 32 line starts only, where the bursts and
//   the picture's rows either side cancel and the restart's jump is left
//   at the one where the frame starts. So, too, does a regression of each
//   burst's front on the tones about it (complex least squares, each line
//   left out in turn), tried with each line start as the frame's: the
//   fronts follow one rule on every line but the one the restart precedes.
//   The bursts' back edges, regressed alike with every line's miss summed,
//   fit best where the grid's one-sample slip is placed right; they bear
//   the grid's line out against a faint break elsewhere.
// - Tracking loop (FramingFollow.h). Once locked, only windows about the
//   expected start and bursts are measured; the error moves the start by
//   the phase gain (1/2) and the period by the period gain (1/10) each
//   frame. Without a measure the loop runs on; two frames without a tone,
//   or 8 without a measure (or bursts or a break that moved), lose the
//   lock.
//
// A still picture without line sync whose restart happens to turn the
// phase within the tones' arc (and the channel's spread hides it) leaves
// nothing to find: the tracker says so and keeps searching in case the
// picture changes. Everything is worked out from the sample rate in force
// (FramingParameters.h).
//
// Fed samples as they come (any chunking gives the same results); the
// frame starts it finds queue up for whoever cuts the frames.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "viewer/FramingFollow.h"
#include "viewer/FramingParameters.h"
#include "viewer/FramingSearch.h"

namespace rx {

enum class FramingState {
    Searching,      // the evidence is not clear yet (or there is no tone)
    Locked,         // frames are where the tracker says
    NothingToFind,  // a still picture without line sync whose frame start leaves no trace
};

class FramingTracker {
public:
    explicit FramingTracker(int sampleRate = 10000);
    void reset(int sampleRate);

    // Unsigned 8-bit samples, 128 being zero.
    void feed(const std::uint8_t* samples, std::size_t count);

    FramingState state() const { return state_; }
    bool locked() const { return state_ == FramingState::Locked; }
    // How clear the evidence is: >= 1 is clear enough to lock (or, while
    // locked, to place the last frame); 0 without a tone.
    double confidence() const { return confidence_; }
    // Line sync bursts seen in the last frame followed or searched.
    bool syncPresent() const { return syncPresent_; }
    // Samples per frame: measured while locked, else the last measured (or
    // the nominal period before any lock).
    double period() const { return period_; }
    double nominalPeriod() const { return p_.nominalPeriod; }
    int sampleRate() const { return p_.sampleRate; }
    const FramingParameters& parameters() const { return p_; }
    std::int64_t samplesFed() const { return total_; }
    // The sample number of the latest lock, -1 before any.
    std::int64_t lockedAt() const { return lockedAt_; }
    // The start of the last frame found while locked (a sample number in
    // the samples fed), -1 before any: where a plain receiver continues
    // when automatic framing is turned off.
    double lastFoundStart() const { return lastFoundStart_; }
    // What the last search's fold showed, piece by piece.
    const FoldFinding& lastFinding() const { return finding_; }
    // For measuring the evidence: never lock, fold and search every frame.
    void searchOnly(bool only) { searchOnly_ = only; }

    // Frame starts found so far and not yet taken, oldest first: where the
    // frame's silent first sample stands, counted in samples from the first
    // sample fed (fractional). A start is final once queued; `framed` says
    // whether the tracker was locked when it placed it.
    struct FrameStart {
        double start;
        double period;
        bool framed;
    };
    bool hasFrameStart() const { return !starts_.empty(); }
    const FrameStart& frontFrame() const { return starts_.front(); }
    double frontFrameStart() const { return starts_.front().start; }
    void popFrameStart() { starts_.pop_front(); }

    // A fed sample still held (the last few frames); 128 (silence) before
    // the first sample.
    std::uint8_t sampleAt(std::int64_t n) const {
        return n < 0 ? std::uint8_t{128} : ring_[static_cast<std::size_t>(n) & ringMask_];
    }
    // How many of the last samples fed are held.
    std::int64_t samplesHeld() const { return static_cast<std::int64_t>(ringMask_) + 1; }

private:
    void advance();
    // The run phasors of samples first..last into the search's ring.
    void putRuns(std::int64_t first, std::int64_t last);
    void searchSamples(std::int64_t last);
    void searchFrameEnd();
    void followFrame();
    void lockAt(const FoldFinding& found);
    void loseLock(double nextStart);
    void restartSearch();
    // The next frame's windows, and the sample the tracker follows it at.
    void planFollow();

    FramingParameters p_;
    std::vector<std::uint8_t> ring_;
    std::size_t ringMask_ = 0;
    std::int64_t total_ = 0;
    std::vector<float> scratch_;                  // samples being searched
    std::vector<float> analyticRe_, analyticIm_;  // their analytic samples
    std::vector<float> runRe_, runIm_;            // and run phasors
    std::vector<float> tapsRe_, tapsIm_;          // the discriminator's taps, apart

    FramingState state_ = FramingState::Searching;
    double confidence_ = 0;
    bool syncPresent_ = false;
    double period_ = 0;
    std::int64_t lockedAt_ = -1;
    double lastFoundStart_ = -1;

    // Searching: frames of the running period from modelStart_; every
    // sample's run phasor goes to the search.
    FramingSearch search_;
    double modelStart_ = 0;
    std::int64_t modelBase_ = 0;
    std::int64_t processed_ = 0;  // the next run phasor to work out
    int searchedFrames_ = 0;      // frames with a tone in the fold
    double frameAlong_ = 0, frameHeard_ = 0;  // the frame's tone so far
    std::int64_t frameRuns_ = 0;
    bool haveFound_ = false;
    bool searchOnly_ = false;
    double lastFound_ = 0;
    int sinceFound_ = 0;  // frames since the last clear start
    int sinceNextLineBreak_ = 0;  // folds since a break a line from the grid's step
    int breakStood_ = 0;          // folds running the break has stood where it stands
    double lastBreak_ = 0;
    FoldFinding finding_;

    // Following.
    FramingFollow follow_;
    std::vector<std::pair<std::int64_t, std::int64_t>> windows_;
    std::int64_t followAt_ = 0;
    int missed_ = 0, toneless_ = 0;

    std::deque<FrameStart> starts_;
};

}  // namespace rx
