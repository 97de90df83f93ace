#include "viewer/FramedPictures.h"

#include <cmath>

#include "viewer/FrameVideo.h"
#include "viewer/LineTiming.h"

namespace rx {

namespace {

// Sender samples the video starts before the frame when the receiver's
// line sync is on.
constexpr int SyncSearchLead = 2;
constexpr double BurstsSeenShare = 0.75;

// Whether the bursts of a video cut SyncSearchLead samples early reach the
// receiver's sync level where they stand, on most lines.
bool burstsSeen(const std::vector<float>& video, const ReceiverSettings& s) {
    int seen = 0;
    for (int k = 0; k < nbtv::LinesPerFrame; ++k)
        for (int p = 1; p <= SyncSearchLead + nbtv::SyncPulseSamples; ++p)
            if (isSyncSample(video[static_cast<std::size_t>(k * nbtv::LineSamples + p)], s.syncLevel)) {
                ++seen;
                break;
            }
    return seen >= BurstsSeenShare * nbtv::LinesPerFrame;
}

}  // namespace

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
    // With the receiver's line sync on, the line timing looks for each
    // line's burst from its second position on. Where the bursts reach the
    // sync level, the video starts a little before the frame, so that the
    // search meets the first burst's rise wherever the frame's sample phase
    // falls and every line starts where its burst crosses the level.
    const auto cut = [&](double lead) {
        frameVideo(cut_.sound.data(), static_cast<std::int64_t>(cut_.sound.size()),
                   cut_.start - lead * cut_.period / nbtv::FrameSamples, cut_.period, s, work_, arrays.videoSignal);
    };
    if (s.syncOn != -1) {
        cut(SyncSearchLead);
        if (!burstsSeen(arrays.videoSignal, s)) cut(0);
    } else {
        cut(0);
    }
    scanFrame(arrays.videoSignal.data(), frameVideoSettings(s), store);
    // Pictures are averaged only while the tracker holds the frame: a
    // picture cut elsewhere would smear the average.
    const bool averaging = average_.depth() > 1 && cut_.framed;
    if (!averaging) average_.clear();
    shown_ = averaging ? &average_.add(store) : &store;
    return true;
}

}  // namespace rx
