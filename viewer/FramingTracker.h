#pragma once
// Finds the frames in the received sound by themselves. The sender restarts
// its tone's phase at the first sample of every frame, so once a frame the
// otherwise continuous FM tone breaks for one sample; lines may also start
// with a short burst above white (line sync). The tracker measures the
// phase advance of every sample, looks for the break where the advance
// leaves the tones' band (less where the tone is weak, and never much for
// one sample, so that noise's clicks count for little), folds that over
// the last frames for every period a clock error allows while searching,
// and once it has found the break follows it with the same fold about the
// predicted start, with the sync bursts when the break is lost. The frame
// period it reports is fractional: the sender's clock as this sound card
// counts it.
//
// Fed samples as they come (any chunking gives the same results); the frame
// starts it finds queue up for whoever cuts the frames.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "viewer/FramingSearch.h"

namespace rx {

class FramingTracker {
public:
    explicit FramingTracker(int sampleRate = 10000);
    void reset(int sampleRate);

    // Unsigned 8-bit samples, 128 being zero.
    void feed(const std::uint8_t* samples, std::size_t count);

    bool locked() const { return locked_; }
    // Line sync bursts seen in the last frame followed.
    bool syncPresent() const { return syncPresent_; }
    // Samples per frame: measured while locked, else the last measured (or
    // the nominal period before any lock).
    double period() const { return period_; }
    double nominalPeriod() const { return nominalPeriod_; }
    int sampleRate() const { return sampleRate_; }
    std::int64_t samplesFed() const { return total_; }
    // The sample number of the latest lock, -1 before any.
    std::int64_t lockedAt() const { return lockedAt_; }

    // Frame starts found so far and not yet taken, oldest first: where the
    // frame's first sample stands, counted in samples from the first sample
    // fed (fractional while locked). A start is final once queued.
    bool hasFrameStart() const { return !starts_.empty(); }
    double frontFrameStart() const { return starts_.front(); }
    void popFrameStart() { starts_.pop_front(); }

    // A fed sample still held (the last RingSize - 8192 or so); 128 (silence)
    // before the first sample.
    std::uint8_t sampleAt(std::int64_t n) const {
        return n < 0 ? std::uint8_t{128} : ring_[static_cast<std::size_t>(n) & RingMask];
    }
    static constexpr std::size_t RingSize = std::size_t{1} << 17;

    // The break measure of sample n (0 where the phase runs on inside the
    // tones' band, up to 2 where it jumps against it); n must be held and
    // have three later samples fed. Exposed for tests and benchmarks.
    float breakMeasure(std::int64_t n) const;
    float breakMeasure(std::int64_t n, double& magnitude) const;

private:
    static constexpr std::size_t RingMask = RingSize - 1;
    void advance();
    void searchSamples(std::int64_t from, std::int64_t to);
    void searchFrameEnd();
    void followFrame();
    void lockAt(double breakPosition, double period);
    void loseLock(double nextStart);
    // The search starts afresh at processed_; the frame's measure and the
    // last search's find are forgotten.
    void restartSearch();
    void clearFrameMeasure();
    double predictedStart(std::int64_t frame) const;
    bool measureSync(double predicted, double& position) const;
    std::int64_t followEventAt(double predicted) const;
    // Advance phasor of sample n: analytic sample n times the conjugate of
    // sample n - 1.
    void advance(std::int64_t n, double& re, double& im) const;

    int sampleRate_ = 10000;
    double scale_ = 1.0;  // receiver samples per sender sample, nominally
    double nominalPeriod_ = 3841;
    double period_ = 3841;
    double centreCos_ = 0, centreSin_ = 0;  // middle of the tones' band
    double syncCos_ = 1, syncSin_ = 0;       // phase advance of the sync burst
    int window_ = 12;                        // break search reach while following

    std::vector<std::uint8_t> ring_;
    std::int64_t total_ = 0;

    // Searching: frames of the running period from modelStart_, the break
    // measure of each sample handed to the search.
    bool locked_ = false;
    double modelStart_ = 0;
    std::int64_t modelBase_ = 0;
    std::int64_t processed_ = 0;
    std::vector<float> scratch_, measures_;
    FramingSearch search_;
    int searchedFrames_ = 0;  // frames with a tone in the fold
    double frameMeasure_ = 0;  // the break measure of the frame so far
    double frameMagnitude_ = 0;  // and the size of its advance phasors
    float level_ = 0;            // below this size the measure is weighed down
    std::vector<float> magnitudes_;
    std::int64_t frameSamples_ = 0;
    bool haveFound_ = false;
    double lastFound_ = 0;

    // Following: the frame being followed, and the start of the last one.
    std::int64_t frame_ = 0;
    std::int64_t eventAt_ = 0;
    double fitStart_ = 0;
    std::int64_t fitFrame_ = 0;
    int missed_ = 0;
    int followedFrames_ = 0;  // frames of break measure the follow fold has
    bool syncPresent_ = false;
    std::int64_t lockedAt_ = -1;

    std::deque<double> starts_;
};

}  // namespace rx
