#pragma once
// The sound the framing benchmarks receive: pictures sent by the
// transmitter's synthesis, passed through a voice channel and recorded by
// a sound card at its own rate and clock. In order: a start at a fractional
// sent sample, a 300-2700 Hz band-pass, mistuning (a frequency shift),
// the recording card's rate and clock error (libsoxr), white noise and 8
// bits. Where every sent frame starts in the recording is known exactly.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "codec/Resampler.h"
#include "tests/common/SentSignal.h"

namespace bench {

constexpr double SentRate = nbtv::SignalRate;
constexpr int SentFrame = nbtv::FrameSamples;
constexpr int Width = tx::PictureColumns, Height = tx::PictureRows;
// The voice channel's pass band, and the band the noise's SNR is given over.
constexpr double VoiceLowHz = 300, VoiceHighHz = 2700, NoiseBandHz = 5000;
constexpr long FilterReach = 128;

// A picture of the corpus: one grey frame (top row first) or, for a moving
// sequence, several sent one after another.
struct CorpusPicture {
    std::string name;
    int number = 0;
    std::vector<std::vector<std::uint8_t>> frames;
    bool moving() const { return frames.size() > 1; }
    const std::vector<std::uint8_t>& frame(long k) const { return frames[static_cast<std::size_t>(k) % frames.size()]; }
};

// A raw 8-bit grey file 96 pixels wide, a whole number of 96 x 120 frames.
inline CorpusPicture readGrey(const std::string& path, const std::string& name, int number) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t frameBytes = std::size_t{Width} * Height;
    if (all.empty() || all.size() % frameBytes != 0) {
        std::fprintf(stderr, "framing bench: %s is not a whole number of 96 x 120 grey frames\n", path.c_str());
        std::exit(1);
    }
    CorpusPicture picture{name, number, {}};
    for (std::size_t at = 0; at < all.size(); at += frameBytes)
        picture.frames.emplace_back(all.begin() + static_cast<long>(at), all.begin() + static_cast<long>(at + frameBytes));
    return picture;
}

inline tx::ScreenPicture screenPicture(const std::vector<std::uint8_t>& grey) {
    // Row 0 of the screen picture is the bottom row.
    return greyPicture([&](int row, int column) {
        return grey[static_cast<std::size_t>((Height - 1 - row) * Width + column)];
    });
}

// `frames` frames of the picture as the transmitter plays them.
inline std::vector<double> sentSequence(const CorpusPicture& picture, bool lineSync, int frames) {
    std::vector<double> sound;
    for (int f = 0; f < frames; ++f) {
        const std::vector<double> one = sentFrames(screenPicture(picture.frame(f)), lineSync, 1);
        sound.insert(sound.end(), one.begin(), one.end());
    }
    return sound;
}

inline double blackman(long k) {
    const double t = std::numbers::pi * static_cast<double>(k + FilterReach) / (2.0 * FilterReach);
    return 0.42 - 0.5 * std::cos(2 * t) + 0.08 * std::cos(4 * t);
}

inline std::vector<double> convolve(const std::vector<double>& x, const std::vector<double>& h) {
    std::vector<double> y(x.size(), 0.0);
    const long n = static_cast<long>(x.size());
    for (long i = 0; i < n; ++i) {
        double sum = 0;
        const long from = std::max(-FilterReach, i - n + 1), to = std::min(FilterReach, i);
        for (long k = from; k <= to; ++k) sum += h[static_cast<std::size_t>(k + FilterReach)] * x[static_cast<std::size_t>(i - k)];
        y[static_cast<std::size_t>(i)] = sum;
    }
    return y;
}

inline std::vector<double> bandPass(double low, double high) {
    std::vector<double> h(2 * FilterReach + 1);
    for (long k = -FilterReach; k <= FilterReach; ++k) {
        auto lowPass = [k](double f) {
            const double w = 2 * f / SentRate;
            return k == 0 ? w : std::sin(std::numbers::pi * w * static_cast<double>(k)) / (std::numbers::pi * static_cast<double>(k));
        };
        h[static_cast<std::size_t>(k + FilterReach)] = (lowPass(high) - lowPass(low)) * blackman(k);
    }
    return h;
}

inline std::vector<double> hilbert() {
    std::vector<double> h(2 * FilterReach + 1, 0.0);
    for (long k = -FilterReach; k <= FilterReach; ++k)
        if (k % 2 != 0) h[static_cast<std::size_t>(k + FilterReach)] = 2.0 / (std::numbers::pi * static_cast<double>(k)) * blackman(k);
    return h;
}

// The sent sound through the channel's linear part, at the sender's rate:
// base[m] is the channel's output at sent time m + start.
struct ChannelBase {
    std::vector<double> sound;
    double start = 0;  // fractional sent sample of base sample 0
};

inline ChannelBase channelBase(const std::vector<double>& sent, double start, double mistuneHz) {
    ChannelBase base{recorded(sent, 0, start), start};
    std::vector<double>& x = base.sound;
    x = convolve(x, bandPass(VoiceLowHz, VoiceHighHz));
    const std::vector<double> quadrature = convolve(x, hilbert());
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double phase = 2 * std::numbers::pi * mistuneHz * static_cast<double>(n) / SentRate;
        x[n] = x[n] * std::cos(phase) - quadrature[n] * std::sin(phase);
    }
    return base;
}

// The recording of the channel by a card at `rate` whose clock runs `ppm`
// slow (every frame 1 + ppm 1e-6 longer), from its sample `skip` on, with
// white noise at `snr` dB over NoiseBandHz (0: none), in 8 bits.
struct Recording {
    std::vector<std::uint8_t> samples;
    double samplesPerSent = 1;  // recorded samples per sent sample
    double origin = 0;          // recording position of base sample 0
    // Where sent frame f's first sample (its silent one) stands.
    double frameStart(const ChannelBase& base, long f) const {
        return origin + (static_cast<double>(f) * SentFrame - base.start) * samplesPerSent;
    }
    double period() const { return SentFrame * samplesPerSent; }
};

inline Recording record(const ChannelBase& base, int rate, double ppm, double snr, long skip, std::mt19937& random) {
    Recording r;
    r.samplesPerSent = rate / SentRate * (1 + ppm * 1e-6);
    codec::Resampler resampler;
    std::string error;
    std::vector<float> in(base.sound.begin(), base.sound.end()), out;
    if (!resampler.start(SentRate, SentRate * r.samplesPerSent, error) || !resampler.process(in.data(), in.size(), out, error) ||
        !resampler.process(nullptr, 0, out, error)) {
        std::fprintf(stderr, "framing bench: %s\n", error.c_str());
        std::exit(1);
    }
    skip = std::clamp<long>(skip, 0, static_cast<long>(out.size()));
    r.origin = -static_cast<double>(skip);
    std::vector<double> x(out.begin() + skip, out.end());
    if (snr > 0) {
        double power = 0;
        for (double v : x) power += v * v;
        power /= static_cast<double>(std::max<std::size_t>(x.size(), 1));
        // The same noise density at every rate: its power over NoiseBandHz
        // is the signal's less the SNR.
        const double variance = power / std::pow(10.0, snr / 10) * (rate / 2.0) / NoiseBandHz;
        std::normal_distribution<double> noise(0.0, std::sqrt(variance));
        for (double& v : x) v += noise(random);
    }
    r.samples = eightBit(x);
    return r;
}

}  // namespace bench
