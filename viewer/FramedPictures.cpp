#include "viewer/FramedPictures.h"

#include <algorithm>
#include <cmath>

#include "viewer/FrameVideo.h"
#include "viewer/LineTiming.h"

namespace rx {

namespace {

// Sender samples the video starts before the frame when the receiver's
// line sync is on.
constexpr int SyncSearchLead = 2;
constexpr double BurstsSeenShare = 0.75;
// The position every line starts at is put this far past the bursts'
// latest rise (the second latest: one may be mangled), in sender samples.
constexpr double RiseMargin = 0.5;

// Where the bursts of a video cut SyncSearchLead samples early rise
// through the receiver's sync level, in positions from their line's start
// (linear interpolation between the positions either side), for the lines
// where they do; empty unless most lines' bursts do.
std::vector<double> burstRises(const std::vector<float>& video, const ReceiverSettings& s) {
    std::vector<double> rises;
    const double level = leastSyncSample(s.syncLevel);
    for (int k = 0; k < nbtv::LinesPerFrame; ++k)
        for (int p = 1; p <= SyncSearchLead + nbtv::SyncPulseSamples; ++p) {
            const std::size_t at = static_cast<std::size_t>(k * nbtv::LineSamples + p);
            if (!isSyncSample(video[at], s.syncLevel)) continue;
            const double below = video[at - 1], above = video[at];
            rises.push_back(isSyncSample(video[at - 1], s.syncLevel) || above <= below
                                ? p - 1.0
                                : p - 1 + (level - below) / (above - below));
            break;
        }
    if (rises.size() < BurstsSeenShare * nbtv::LinesPerFrame) rises.clear();
    return rises;
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
    // With the receiver's line sync on, the line timing looks for the first
    // line's burst from its second position on. Where the bursts reach the
    // sync level, the video starts a little before the frame, so that the
    // search meets the first burst's rise wherever the frame's sample phase
    // falls; where they do not, the line timing finds no bursts and the
    // video starts at the frame.
    const auto cut = [&](double lead) {
        frameVideo(cut_.sound.data(), static_cast<std::int64_t>(cut_.sound.size()),
                   cut_.start - lead * cut_.period / nbtv::FrameSamples, cut_.period, s, work_, arrays.videoSignal);
    };
    if (s.syncOn != -1) {
        cut(SyncSearchLead);
        std::vector<double> rises = burstRises(arrays.videoSignal, s);
        if (rises.empty()) {
            cut(0);
        } else {
            // The line timing looks for each line's burst from the
            // position a line after the last one's start: a line whose
            // burst rose after that position would start a position later,
            // and every line after it too. The cut moves later by the
            // fraction that puts a position half a sample past the bursts'
            // latest rise, so that every line starts on that position.
            std::nth_element(rises.begin(), rises.end() - 2, rises.end());
            const double latest = rises[rises.size() - 2];
            // A latest rise of 0 is a line already at the sync level where
            // the search opens: no rise was seen, so there is none to pass.
            const double later = latest > 0 ? latest + RiseMargin - std::floor(latest + RiseMargin) : 0.0;
            cut(SyncSearchLead - later);
        }
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
