#pragma once
// The framed picture, from samples to what is shown: frames cut where the
// framing tracker finds them, demodulated, read on the sender's sample
// grid (FrameVideo.h), scanned into the picture store, and averaged over
// the last few while the tracker holds the frame.
// The live receiver (fed each capture buffer) and the file decoder (fed the
// file in pieces) both go this one way, so both show the same pictures from
// the same samples.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/SignalFormat.h"
#include "viewer/AutoFraming.h"
#include "viewer/Demodulator.h"
#include "viewer/PictureAverage.h"
#include "viewer/PictureStore.h"
#include "viewer/ReceiverSettings.h"

namespace rx {

class FramedPictures {
public:
    FramedPictures() : FramedPictures(nbtv::SignalRate, 1) {}
    explicit FramedPictures(int sampleRate, int averageDepth = 1);
    // Forgets the frames found and the pictures averaged.
    void reset(int sampleRate);
    // How many pictures are averaged (1: none); the average starts afresh.
    void setAveraging(int depth);
    int averaging() const { return average_.depth(); }

    // Unsigned 8-bit samples, 128 being zero.
    void feed(const std::uint8_t* samples, std::size_t count);
    // The next frame found, cut, demodulated (its video on the sender's
    // grid in arrays.videoSignal) and scanned into `store`; shown() is then
    // the picture to show. False while no whole frame is held.
    bool next(const ReceiverSettings& settings, PictureStore& store, FrameArrays& arrays);
    // The store of the last frame, or the average of the last pictures while
    // averaging and the tracker holds the frame; null before the first.
    const PictureStore* shown() const { return shown_; }

    // The tracker: its state() (searching, locked, or nothing to find) and
    // confidence() for the viewer to show, and lastFoundStart(), where the
    // plain receiver can continue when automatic framing goes off.
    const FramingTracker& tracker() const { return framing_.tracker(); }
    // Where a capture buffer would begin for the plain receiver to show the
    // last framed picture, in samples from the first sample fed since the
    // last reset; -1 when the last frame shown was not framed.
    std::int64_t plainStart(const ReceiverSettings& settings) const;
    int sampleRate() const { return framing_.tracker().sampleRate(); }
    // The last frame shown: where its silent sample stood (a sample number
    // in the samples fed) and whether the tracker had locked.
    double lastStart() const { return static_cast<double>(cut_.first) + cut_.start; }
    bool lastFramed() const { return cut_.framed; }

private:
    AutoFraming framing_;
    PictureAverage average_;
    AutoFraming::Cut cut_;
    FrameArrays work_;  // the demodulator's, for the cut
    const PictureStore* shown_ = nullptr;
};

}  // namespace rx
