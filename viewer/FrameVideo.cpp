#include "viewer/FrameVideo.h"

#include <algorithm>
#include <cmath>

#include "core/SignalFormat.h"

namespace rx {

namespace {

// The demodulator's filters read this many samples past each output.
constexpr int FilterSpan = 24;
// Cubic interpolation reads one sample before and two after.
constexpr int InterpolationReach = 2;
// Beyond its frame, the demodulator reads a few samples in groups of four.
constexpr int MixerOverrun = 4;
// The sender's frame, and the positions the line timing reads past its end
// before the frame repeats (its own 0..N+1 are demodulated, N+2.. copied).
constexpr int SentFrame = nbtv::FrameSamples;
constexpr int SentPositions = SentFrame + 2;

// Catmull-Rom interpolation at t in [0, 1) between v[1] and v[2].
float cubic(const float* v, double t) {
    const double a = v[0], b = v[1], c = v[2], d = v[3];
    return static_cast<float>(b + 0.5 * t * (c - a + t * (2 * a - 5 * b + 4 * c - d + t * (3 * (b - c) + d - a))));
}

}  // namespace

int demodulatorDelay(int lowPassCutoff) {
    // The 800 Hz kernel is centred on offset 11, the other two on 12.
    return lowPassCutoff == 800 ? 11 : 12;
}

ReceiverSettings frameVideoSettings(const ReceiverSettings& settings) {
    ReceiverSettings s = settings;
    s.frameSamples = SentFrame;
    return s;
}

namespace {

// The demodulator position that VideoSignal position m shows. Position m
// shows the sender's sample m + 1, so that row r of every line, which the
// line timing reads from position r on, is the sender's row r (as the
// picture was sent, unshifted). The tone of the sender's sample is the
// turn into it, centred half a sender sample before it; demodulator
// position i is the turn into sample i + delay, centred half a receiver
// sample before that.
double demodulatorPlace(double start, double period, int delay, int m) {
    return start - delay + 0.5 + (m + 0.5) * period / SentFrame;
}

// The demodulator positions a frame's video reads.
void demodulatorSpan(double start, double period, int delay, std::int64_t& first, std::int64_t& last) {
    first = static_cast<std::int64_t>(std::floor(demodulatorPlace(start, period, delay, 0))) - InterpolationReach;
    last = static_cast<std::int64_t>(std::ceil(demodulatorPlace(start, period, delay, SentPositions))) +
           InterpolationReach;
}

}  // namespace

void frameVideoSpan(const ReceiverSettings& settings, double start, double period, std::int64_t& first,
                    std::int64_t& last) {
    demodulatorSpan(start, period, demodulatorDelay(settings.lowPassCutoff), first, last);
    // Each position reads the filter's span after it and the mixer a group
    // of four beyond, and the first piece starts a group of four before.
    first -= MixerOverrun;
    last += FilterSpan + 2 * MixerOverrun;
}

void frameVideo(const std::uint8_t* sound, std::int64_t count, double start, double period,
                const ReceiverSettings& settings, FrameArrays& work, std::vector<float>& video) {
    const int delay = demodulatorDelay(settings.lowPassCutoff);
    std::int64_t first = 0, last = 0;
    demodulatorSpan(start, period, delay, first, last);

    // The demodulated signal over first..last, in pieces as long as a
    // capture buffer may be. Each piece starts a group of four before the
    // positions it gives (the detector has no predecessor at a buffer's
    // first position) and runs the filter's span past them.
    const std::int64_t span = last - first + 1;
    std::vector<float> demodulated(static_cast<std::size_t>(span), 0.0f);
    std::vector<std::uint8_t> buffer(CaptureBufferBytes + CaptureBufferSlack);
    ReceiverSettings s = settings;
    constexpr int Overrun = FilterSpan + MixerOverrun;
    constexpr int Piece = (MaxFrameSamples - Overrun) / MixerOverrun * MixerOverrun - MixerOverrun;
    for (std::int64_t from = 0; from < span; from += Piece) {
        const std::int64_t given = std::min<std::int64_t>(Piece, span - from);
        const std::int64_t length = MixerOverrun + given + Overrun;
        for (std::int64_t i = 0; i < length + MixerOverrun; ++i) {
            const std::int64_t n = first + from - MixerOverrun + i;
            buffer[static_cast<std::size_t>(i)] = n >= 0 && n < count ? sound[n] : std::uint8_t{128};
        }
        s.frameSamples = static_cast<int>(length);
        demodulate(buffer.data(), s, work);
        for (std::int64_t i = 0; i < given; ++i)
            demodulated[static_cast<std::size_t>(from + i)] = work.videoSignal[static_cast<std::size_t>(MixerOverrun + i)];
    }

    video.assign(VideoSignalLength, 0.0f);
    for (int m = 0; m < SentPositions; ++m) {
        const double x = demodulatorPlace(start, period, delay, m) - static_cast<double>(first);
        const auto i = static_cast<std::int64_t>(std::floor(x));
        const std::int64_t at = std::clamp<std::int64_t>(i - 1, 0, span - 4);
        video[static_cast<std::size_t>(m)] = cubic(demodulated.data() + at, x - static_cast<double>(at + 1));
    }
    // Reading past the frame's end continues with its start, as demodulate
    // lays a frame out.
    std::copy(video.begin() + 2, video.begin() + SentPositions, video.begin() + SentPositions);
}

}  // namespace rx
