#include "viewer/AutoFraming.h"

#include <algorithm>
#include <cmath>

#include "viewer/Demodulator.h"

namespace rx {


int demodulatorDelay(int lowPassCutoff) {
    // The 800 Hz kernel is centred on offset 11, the other two on 12.
    return lowPassCutoff == 800 ? 11 : 12;
}

bool AutoFraming::nextFrame(const ReceiverSettings& s, std::uint8_t* buffer, std::size_t bufferBytes) {
    const std::int64_t n = usableFrameSamples(s.frameSamples);
    const std::int64_t copied = std::min<std::int64_t>(n + 5, static_cast<std::int64_t>(bufferBytes));
    // Samples older than this may have left the tracker's ring.
    const std::int64_t oldest = tracker_.samplesFed() - static_cast<std::int64_t>(FramingTracker::RingSize) + 8192;
    while (tracker_.hasFrameStart()) {
        // Sample 0 of a frame carries no picture; line position 0 is sample
        // 1. Lines of the sender's clock are longer or shorter than the
        // receiver's by the clock error: the cut moves by half of what that
        // adds up to over the frame, so that the picture's first and last
        // lines are off by as much and no more.
        const double stretch = tracker_.period() - tracker_.nominalPeriod();
        const std::int64_t first =
            std::llround(tracker_.frontFrameStart() + 0.5 * stretch) + 1 - demodulatorDelay(s.lowPassCutoff);
        if (first < oldest) {
            tracker_.popFrameStart();
            continue;
        }
        if (tracker_.samplesFed() < first + copied) return false;
        for (std::int64_t i = 0; i < copied; ++i) buffer[i] = tracker_.sampleAt(first + i);
        tracker_.popFrameStart();
        lastCut_ = first;
        return true;
    }
    return false;
}

}  // namespace rx
