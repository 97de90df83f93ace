#pragma once
// Frames cut where the framing tracker finds them: the same code serves the
// live receiver (fed each capture buffer) and the file decoder (fed the
// file), so both show the same pictures from the same samples.
#include <cstddef>
#include <cstdint>

#include "viewer/FramingTracker.h"
#include "viewer/ReceiverSettings.h"

namespace rx {

// How many samples late the demodulator's output is: VideoSignal position
// i shows the tone of sample i + delay (the low-pass filter's centre).
int demodulatorDelay(int lowPassCutoff);

class AutoFraming {
public:
    explicit AutoFraming(int sampleRate = 10000) : tracker_(sampleRate) {}
    void reset(int sampleRate) {
        tracker_.reset(sampleRate);
        lastCut_ = -1;
    }
    void feed(const std::uint8_t* samples, std::size_t count) { tracker_.feed(samples, count); }

    // The next frame found, as a capture buffer: positions 0..N+4 (N the
    // frame length in force, cut into 1..16800) hold the sound from the
    // frame's first picture sample less the demodulator's delay, so that
    // line k's row r shows the sent line's sample r as the sender placed
    // it. `buffer` holds `bufferBytes` (positions beyond are not written).
    // False while no whole frame is held.
    bool nextFrame(const ReceiverSettings& settings, std::uint8_t* buffer, std::size_t bufferBytes);

    const FramingTracker& tracker() const { return tracker_; }
    // Where the last frame cut began, counted in samples from the first
    // sample fed; -1 before the first cut.
    std::int64_t lastCut() const { return lastCut_; }

private:
    FramingTracker tracker_;
    std::int64_t lastCut_ = -1;
};

}  // namespace rx
