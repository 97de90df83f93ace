#pragma once
// Line and frame timing: one frame is one capture buffer, cut into 32 lines
// of `lineSamples` samples each, read from VideoSignal position 1 on. With
// line sync on, every line is preceded by a search for an ultra-white sync
// pulse, and the line starts just after the pulse's first sample.
#include <cstdint>

#include "core/SignalFormat.h"
#include "viewer/Demodulator.h"
#include "viewer/PictureStore.h"
#include "viewer/ReceiverSettings.h"

namespace rx {

using nbtv::LinesPerFrame;

// True when v is a sync sample at this sync level: floor(100 v) above
// syncLevel - 128. A not-a-number never is.
bool isSyncSample(float v, int syncLevel);
// The least value that is a sync sample at this sync level.
inline double leastSyncSample(int syncLevel) { return (syncLevel - 127) / 100.0; }

// The value at read position p; past the end of VideoSignal every value
// is 0, as it is beyond the frame's repeat.
inline float signalAt(const float* videoSignal, std::int64_t p) {
    return p < static_cast<std::int64_t>(VideoSignalLength) ? videoSignal[p] : 0.0f;
}

// Walks one frame of VideoSignal (VideoSignalLength positions) and calls
// deliver(k, r, value) for every line k = 0..31 and, within a line, every
// row r = 1..lineSamples in order. The read position starts at 0 and only
// grows; each line first runs the sync search when sync is on. Rows above
// HighestPlottedRow have no place in the picture store: they are passed
// over, though they still take their samples. Lines of 0 or fewer samples
// deliver nothing.
template <typename Deliver>
void forEachLineSample(const float* videoSignal, const ReceiverSettings& settings,
                       Deliver&& deliver) {
    const std::int64_t frameSamples = settings.frameSamples;
    std::int64_t p = 0;
    for (int k = 0; k < LinesPerFrame; ++k) {
        if (settings.syncOn != -1) {
            // At least one step; stops on the first sync sample, or once
            // past the frame's end.
            for (;;) {
                ++p;
                if (isSyncSample(signalAt(videoSignal, p), settings.syncLevel)) break;
                if (p > frameSamples) break;
            }
        }
        const std::int64_t lineSamples = settings.lineSamples;
        if (lineSamples <= 0) continue;
        const int plotted = lineSamples < HighestPlottedRow ? static_cast<int>(lineSamples)
                                                            : HighestPlottedRow;
        for (int r = 1; r <= plotted; ++r) {
            ++p;
            deliver(k, r, signalAt(videoSignal, p));
        }
        p += lineSamples - plotted;
    }
}

// Scans one frame into the picture: every line sample goes to plotSample.
void scanFrame(const float* videoSignal, const ReceiverSettings& settings, PictureStore& store);

}  // namespace rx
