#include "viewer/FramingTracker.h"

#include <algorithm>
#include <cmath>

#include "viewer/RingPieces.h"

namespace rx {

namespace {

// The sound held: this many frames (whoever cuts the frames may take them
// some seconds late), and room for a cut's margins.
constexpr double HeldFrames = 16;
constexpr std::size_t HeldMargin = 8192;
// A search needs a fold of this many frames; a lock, this many and the
// same start found clear twice, within AgreeSamples: two frames running,
// or with up to KeptFrames between them that put it there short of clear.
constexpr int SearchFrames = 2;
constexpr int LockFrames = 3;
constexpr double AgreeSamples = 2;
constexpr int KeptFrames = 1;
// A frame holds a tone when its run phasors mostly turn within the tones'
// arc (noise turns them every way) and it is not silent.
constexpr double ToneShare = 0.5;
constexpr double SilentSize = 1;
// A fold this alike is a still picture.
constexpr double StillCoherence = 0.9;
// The lock goes after this many frames without a tone, or this many
// without the break or the bursts where the frame is expected (a fold's
// worth): a stretch of sound lost on the way, a capture buffer not queued
// in time, moves every later frame away from where it is looked for, and
// the search must find it again within seconds.
constexpr int TonelessToLose = 2;
constexpr int MissesToLose = 8;
// Folds since something that has not been seen.
constexpr int NoneYet = 1 << 20;
constexpr int BreakStoodFolds = 4;
// Analytic samples worked out together.
constexpr std::size_t AnalyticBlock = 4;

std::size_t powerOfTwoAtLeast(double n) {
    std::size_t size = 1;
    while (static_cast<double>(size) < n) size *= 2;
    return size;
}

}  // namespace

FramingTracker::FramingTracker(int sampleRate) { reset(sampleRate); }

void FramingTracker::reset(int sampleRate) {
    p_ = framingParameters(sampleRate);
    tapsRe_.clear();
    tapsIm_.clear();
    for (const auto& tap : p_.analyticTaps) {
        tapsRe_.push_back(tap.real());
        tapsIm_.push_back(tap.imag());
    }
    ringMask_ = powerOfTwoAtLeast(HeldFrames * (p_.nominalPeriod + p_.maxPeriodError) + HeldMargin) - 1;
    ring_.assign(ringMask_ + 1, 128);
    total_ = 0;
    search_.reset(p_);
    follow_.reset(p_);
    state_ = FramingState::Searching;
    confidence_ = 0;
    syncPresent_ = false;
    period_ = p_.nominalPeriod;
    lockedAt_ = -1;
    lastFoundStart_ = -1;
    // Until the frame is found, frames are a period apart from the first
    // sample, as the plain receiver takes them.
    modelStart_ = 0;
    modelBase_ = static_cast<std::int64_t>(std::floor(modelStart_));
    processed_ = modelBase_;
    restartSearch();
    finding_ = {};
    missed_ = 0;
    toneless_ = 0;
    starts_.clear();
    starts_.push_back({static_cast<double>(modelBase_), period_, false});
}

void FramingTracker::feed(const std::uint8_t* samples, std::size_t count) {
    // In pieces, so that nothing still needed is overwritten in the ring.
    const std::size_t piece = (ringMask_ + 1) / 4;
    while (count > 0) {
        const std::size_t n = std::min(count, piece);
        forRingPieces(total_, n, ringMask_, [&](std::size_t done, std::size_t at, std::size_t m) {
            std::copy(samples + done, samples + done + m, ring_.begin() + static_cast<std::ptrdiff_t>(at));
        });
        total_ += static_cast<std::int64_t>(n);
        samples += n;
        count -= n;
        advance();
    }
}

void FramingTracker::advance() {
    for (;;) {
        if (state_ == FramingState::Locked) {
            if (total_ < followAt_) return;
            followFrame();
            continue;
        }
        const std::int64_t last = total_ - 1 - p_.analyticReach - p_.run;
        const std::int64_t boundary = static_cast<std::int64_t>(std::floor(modelStart_ + period_));
        const std::int64_t stop = std::min(last, boundary - 1);
        if (processed_ <= stop) searchSamples(stop);
        if (processed_ != boundary) return;
        searchFrameEnd();
    }
}

void FramingTracker::putRuns(std::int64_t first, std::int64_t last) {
    // The analytic samples first .. last + run from a plain copy of the
    // samples, then the run phasors first .. last.
    const int reach = p_.analyticReach;
    const std::int64_t count = last - first + 1;
    const std::size_t analyticCount = static_cast<std::size_t>(count + p_.run);
    std::vector<float>& x = scratch_;
    x.resize(analyticCount + 2 * static_cast<std::size_t>(reach));
    // Silence before the first sample, then the ring.
    const std::int64_t from = first - reach;
    std::size_t i = static_cast<std::size_t>(std::clamp<std::int64_t>(-from, 0, static_cast<std::int64_t>(x.size())));
    std::fill(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(i), 0.0f);
    forRingPieces(from + static_cast<std::int64_t>(i), x.size() - i, ringMask_, [&](std::size_t done, std::size_t at, std::size_t m) {
        for (std::size_t j = 0; j < m; ++j) x[i + done + j] = static_cast<float>(ring_[at + j]) - 128.0f;
    });
    analyticRe_.resize(analyticCount);
    analyticIm_.resize(analyticCount);
    // A block of outputs at a time, each summing its taps newest input
    // first, the real and imaginary parts in arrays of their own so that a
    // block goes through vector registers (every frame followed with line
    // sync works out the runs about all 32 bursts).
    const int taps = 2 * reach + 1;
    for (i = 0; i + AnalyticBlock <= analyticCount; i += AnalyticBlock) {
        float re[AnalyticBlock] = {}, im[AnalyticBlock] = {};
        const float* newest = x.data() + i + 2 * static_cast<std::size_t>(reach);  // input i, newest first
        for (int k = 0; k < taps; ++k) {
            const float tapRe = tapsRe_[static_cast<std::size_t>(k)], tapIm = tapsIm_[static_cast<std::size_t>(k)];
            const float* in = newest - k;
            for (std::size_t j = 0; j < AnalyticBlock; ++j) {
                re[j] += tapRe * in[j];
                im[j] += tapIm * in[j];
            }
        }
        std::copy(re, re + AnalyticBlock, analyticRe_.begin() + static_cast<std::ptrdiff_t>(i));
        std::copy(im, im + AnalyticBlock, analyticIm_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (; i < analyticCount; ++i) {
        float re = 0, im = 0;
        const float* newest = x.data() + i + 2 * static_cast<std::size_t>(reach);
        for (int k = 0; k < taps; ++k) {
            re += tapsRe_[static_cast<std::size_t>(k)] * newest[-k];
            im += tapsIm_[static_cast<std::size_t>(k)] * newest[-k];
        }
        analyticRe_[i] = re;
        analyticIm_[i] = im;
    }
    // Each run phasor is the later analytic sample times the conjugate of
    // the earlier, (a + ib)(c - id), written out (a block at a time too).
    runRe_.resize(static_cast<std::size_t>(count));
    runIm_.resize(static_cast<std::size_t>(count));
    const float* are = analyticRe_.data();
    const float* aim = analyticIm_.data();
    const float* lre = are + p_.run;
    const float* lim = aim + p_.run;
    std::size_t k = 0;
    for (; k + AnalyticBlock <= runRe_.size(); k += AnalyticBlock) {
        float re[AnalyticBlock], im[AnalyticBlock];
        for (std::size_t j = 0; j < AnalyticBlock; ++j) re[j] = lre[k + j] * are[k + j] + lim[k + j] * aim[k + j];
        for (std::size_t j = 0; j < AnalyticBlock; ++j) im[j] = lim[k + j] * are[k + j] - lre[k + j] * aim[k + j];
        std::copy(re, re + AnalyticBlock, runRe_.begin() + static_cast<std::ptrdiff_t>(k));
        std::copy(im, im + AnalyticBlock, runIm_.begin() + static_cast<std::ptrdiff_t>(k));
    }
    for (; k < runRe_.size(); ++k) {
        runRe_[k] = lre[k] * are[k] + lim[k] * aim[k];
        runIm_[k] = lim[k] * are[k] - lre[k] * aim[k];
    }
    search_.put(first, runRe_.data(), runIm_.data(), runRe_.size());
}

void FramingTracker::searchSamples(std::int64_t last) {
    putRuns(processed_, last);
    // How much of the frame so far turns within the tones' arc.
    for (std::int64_t n = processed_; n <= last; ++n) {
        frameAlong_ += (search_.runAt(n) * std::conj(p_.arcCentre)).real();
        frameHeard_ += search_.sizeAt(n);
    }
    frameRuns_ += last - processed_ + 1;
    processed_ = last + 1;
}

void FramingTracker::searchFrameEnd() {
    // A frame without a tone (silence, or noise alone) starts the fold
    // afresh.
    const bool tone = frameHeard_ > SilentSize * static_cast<double>(frameRuns_) && frameAlong_ > ToneShare * frameHeard_;
    frameAlong_ = frameHeard_ = 0;
    frameRuns_ = 0;
    if (tone) {
        ++searchedFrames_;
    } else {
        restartSearch();
    }
    finding_ = {};
    if (searchedFrames_ >= SearchFrames) finding_ = search_.search(processed_, period_, searchedFrames_);
    confidence_ = tone ? finding_.confidence : 0;
    syncPresent_ = finding_.syncPresent;
    // A start the bursts' front edges alone made clear, setting a break
    // aside, is not taken within a fold of a break a line from the grid's
    // step (the grid may be the one a line off), nor where the break has
    // stood in one place BreakStoodFolds folds running: a restart does,
    // whereas a faint break the noise leaves moves on within a few folds
    // (big letters reaching the picture's edges can stand the grid's step
    // lines off with the fronts, and leave a faint restart).
    sinceNextLineBreak_ = finding_.breakNextLine ? 0 : std::min(sinceNextLineBreak_ + 1, NoneYet);
    const bool breakStays = breakStood_ > 0 && finding_.period > 0 &&
                            std::abs(std::remainder(finding_.breakStart - lastBreak_, finding_.period)) <= AgreeSamples * p_.scale;
    breakStood_ = breakStays ? breakStood_ + 1 : 1;
    lastBreak_ = finding_.breakStart;
    if (finding_.breakSetAside && (sinceNextLineBreak_ <= p_.foldFrames || breakStood_ >= BreakStoodFolds))
        finding_.clear = false;
    // With line sync, whose grid a few frames' noise can draw a line aside,
    // a lock needs a full fold, where the restart at each line's start is
    // read too.
    const int lockFrames = finding_.syncPresent ? p_.foldFrames : LockFrames;
    const bool nearLast = haveFound_ && std::abs(std::remainder(finding_.start - lastFound_, finding_.period)) <= AgreeSamples * p_.scale;
    const bool agrees = finding_.clear && nearLast && searchedFrames_ >= lockFrames;
    // A clear start is kept through a frame whose fold falls short of clear
    // but puts the start there too (each piece of evidence a little short
    // now and then); not through one whose pieces disagree.
    if (finding_.clear) {
        lastFound_ = finding_.start;
        sinceFound_ = 0;
    } else {
        ++sinceFound_;
    }
    haveFound_ = finding_.clear || (nearLast && sinceFound_ <= KeptFrames && finding_.confidence > 0);
    const bool still = searchedFrames_ >= p_.foldFrames && finding_.coherence >= StillCoherence;
    state_ = still && !finding_.clear && !finding_.someBursts ? FramingState::NothingToFind : FramingState::Searching;

    const std::int64_t lastQueued = modelBase_;
    modelStart_ += period_;
    modelBase_ = static_cast<std::int64_t>(std::floor(modelStart_));
    if (agrees && !searchOnly_) {
        // The frame that starts where the fold says is cut too when it
        // starts after the one already queued.
        if (finding_.start > static_cast<double>(lastQueued) + 1) starts_.push_back({finding_.start, finding_.period, true});
        lockAt(finding_);
        return;
    }
    // Frames follow at the running period meanwhile.
    starts_.push_back({static_cast<double>(modelBase_), period_, false});
}

void FramingTracker::lockAt(const FoldFinding& found) {
    state_ = FramingState::Locked;
    lockedAt_ = processed_ + p_.run + p_.analyticReach;  // the last sample the search needed
    lastFoundStart_ = found.start;
    period_ = found.period;
    follow_.lock(found.start, found.period, found.syncPresent, found.whiteLowered);
    planFollow();
    missed_ = 0;
    toneless_ = 0;
}

void FramingTracker::restartSearch() {
    search_.restart(processed_);
    searchedFrames_ = 0;
    sinceNextLineBreak_ = NoneYet;
    breakStood_ = 0;
    haveFound_ = false;
    frameAlong_ = frameHeard_ = 0;
    frameRuns_ = 0;
}

void FramingTracker::loseLock(double nextStart) {
    state_ = FramingState::Searching;
    syncPresent_ = false;
    // The search starts afresh with the newest samples; the frames up to
    // them follow at the last period.
    processed_ = std::max(static_cast<std::int64_t>(std::floor(nextStart)), total_ - 1 - p_.analyticReach - p_.run);
    modelStart_ = nextStart;
    starts_.push_back({std::floor(modelStart_), period_, false});
    while (std::floor(modelStart_ + period_) <= static_cast<double>(processed_)) {
        modelStart_ += period_;
        starts_.push_back({std::floor(modelStart_), period_, false});
    }
    modelBase_ = static_cast<std::int64_t>(std::floor(modelStart_));
    restartSearch();
}

void FramingTracker::planFollow() {
    // The runs of the next frame's windows, and the samples they reach.
    follow_.windows(windows_);
    std::int64_t last = 0;
    for (const auto& window : windows_) last = std::max(last, window.second);
    followAt_ = last + p_.run + p_.analyticReach + 1;
}

void FramingTracker::followFrame() {
    for (const auto& [first, last] : windows_)
        putRuns(first, last);
    const FramingFollow::Step step = follow_.follow(search_);
    planFollow();
    period_ = follow_.period();
    confidence_ = step.confidence;
    syncPresent_ = step.bursts;
    toneless_ = step.tone ? 0 : toneless_ + 1;
    missed_ = step.measured ? 0 : missed_ + 1;
    if (step.measured) lastFoundStart_ = step.start;
    // A frame whose bursts or break moved is not where the loop put it.
    starts_.push_back({step.start, period_, !step.moved});
    if (toneless_ >= TonelessToLose || missed_ >= MissesToLose || step.moved) loseLock(step.start + period_);
}

}  // namespace rx
