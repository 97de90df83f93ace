#pragma once
// Frames cut where the framing tracker finds them: the same code serves the
// live receiver (fed each capture buffer) and the file decoder (fed the
// file), so both show the same pictures from the same samples.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "viewer/FramingTracker.h"
#include "viewer/ReceiverSettings.h"

namespace rx {

class AutoFraming {
public:
    explicit AutoFraming(int sampleRate = 10000) : tracker_(sampleRate) {}
    void reset(int sampleRate) { tracker_.reset(sampleRate); }
    void feed(const std::uint8_t* samples, std::size_t count) { tracker_.feed(samples, count); }

    // A frame's sound: samples `first` on (sample numbers count from the
    // first sample fed), the frame's silent sample at `start` within them.
    struct Cut {
        std::vector<std::uint8_t> sound;
        std::int64_t first = 0;
        double start = 0;   // within `sound`
        double period = 0;  // samples a frame
        bool framed = false;  // the tracker was locked when it placed it
    };
    // The next frame found, with the sound its video reads at these
    // settings (frameVideoSpan). False while no whole frame is held.
    bool nextFrame(const ReceiverSettings& settings, Cut& cut);

    const FramingTracker& tracker() const { return tracker_; }

private:
    FramingTracker tracker_;
};

}  // namespace rx
