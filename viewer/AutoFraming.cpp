#include "viewer/AutoFraming.h"

#include "viewer/FrameVideo.h"

namespace rx {

bool AutoFraming::nextFrame(const ReceiverSettings& settings, Cut& cut) {
    while (tracker_.hasFrameStart()) {
        const FramingTracker::FrameStart frame = tracker_.frontFrame();
        std::int64_t first = 0, last = 0;
        frameVideoSpan(settings, frame.start, frame.period, first, last);
        // A frame whose sound has left the tracker's ring is passed over.
        if (first < tracker_.samplesFed() - tracker_.samplesHeld()) {
            tracker_.popFrameStart();
            continue;
        }
        if (tracker_.samplesFed() <= last) return false;
        cut.sound.resize(static_cast<std::size_t>(last - first + 1));
        for (std::int64_t n = first; n <= last; ++n) cut.sound[static_cast<std::size_t>(n - first)] = tracker_.sampleAt(n);
        cut.first = first;
        cut.start = frame.start - static_cast<double>(first);
        cut.period = frame.period;
        cut.framed = frame.framed;
        tracker_.popFrameStart();
        return true;
    }
    return false;
}

}  // namespace rx
