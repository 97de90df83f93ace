#include "viewer/FramedPictures.h"

#include <cmath>

#include "viewer/FrameVideo.h"
#include "viewer/LineTiming.h"

namespace rx {

FramedPictures::FramedPictures(int sampleRate, int averageDepth)
    : framing_(sampleRate), average_(averageDepth) {}

void FramedPictures::reset(int sampleRate) {
    framing_.reset(sampleRate);
    average_.clear();
    shown_ = nullptr;
}

std::int64_t FramedPictures::plainStart(const ReceiverSettings& s) const {
    if (shown_ == nullptr || !cut_.framed) return -1;
    // The plain receiver's line position 0 is the sample after the silent
    // one, seen by the demodulator's output `delay` positions late.
    return std::llround(lastStart()) + 1 - demodulatorDelay(s.lowPassCutoff);
}

void FramedPictures::setAveraging(int depth) {
    average_ = PictureAverage(depth);
    shown_ = nullptr;
}

void FramedPictures::feed(const std::uint8_t* samples, std::size_t count) {
    if (count > 0) framing_.feed(samples, count);
}

bool FramedPictures::next(const ReceiverSettings& s, PictureStore& store, FrameArrays& arrays) {
    if (!framing_.nextFrame(s, cut_)) return false;
    frameVideo(cut_.sound.data(), static_cast<std::int64_t>(cut_.sound.size()), cut_.start, cut_.period, s, work_,
               arrays.videoSignal);
    scanFrame(arrays.videoSignal.data(), frameVideoSettings(s), store);
    // Pictures are averaged only while the tracker holds the frame: a
    // picture cut elsewhere would smear the average.
    const bool averaging = average_.depth() > 1 && cut_.framed;
    if (!averaging) average_.clear();
    shown_ = averaging ? &average_.add(store) : &store;
    return true;
}

}  // namespace rx
