#pragma once
// The transmitter's own signal for tests and benchmarks of the receiver:
// frames synthesised from a picture, recorded by a sound card whose clock
// differs, as the receiver's 8-bit capture holds them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "transmitter/Synthesis.h"

// A grey picture as the transmitter grabs it; grey(row, column) in 0..255,
// row 0 at the bottom.
template <typename Grey>
tx::ScreenPicture greyPicture(Grey grey) {
    tx::ScreenPicture picture;
    for (int row = 0; row < tx::PictureRows; ++row)
        for (int column = 0; column < tx::PictureColumns; ++column) {
            const auto g = static_cast<std::uint16_t>(static_cast<int>(grey(row, column)) >> 3);
            tx::setPictureWord(picture, row, column, static_cast<std::uint16_t>(g << 10 | g << 5 | g));
        }
    return picture;
}

// A photo-like picture: light and shade across it, a bright and a dark
// block.
inline int photoLike(int row, int column) {
    if (row >= 65 && row < 105 && column >= 10 && column < 45) return 245;
    if (row >= 15 && row < 50 && column >= 55 && column < 90) return 10;
    const double v = 128 + 60 * std::sin(row / 13.0) * std::cos(column / 9.0) + 50 * std::sin((row + 2 * column) / 29.0);
    return static_cast<int>(std::clamp(v, 0.0, 255.0));
}

// A picture of random levels, which no content-based framing could use.
inline tx::ScreenPicture randomPicture(unsigned seed) {
    std::mt19937 random(seed);
    return greyPicture([&](int, int) { return random() % 256; });
}

// `frames` frames of the picture as the transmitter plays them (left
// channel, 16-bit).
inline std::vector<double> sentFrames(const tx::ScreenPicture& picture, bool lineSync, int frames) {
    tx::TransmitterSettings settings;
    settings.lineSync = lineSync ? -1 : 1;
    settings.syncPulseLevel = tx::StandardSyncPulseLevel;
    tx::FrameBuffer buffer;
    tx::synthesizeFrame(picture, settings, buffer);
    std::vector<double> sound;
    sound.reserve(static_cast<std::size_t>(frames) * tx::FrameSamples);
    for (int f = 0; f < frames; ++f)
        for (const tx::StereoFrame& s : buffer.frames) sound.push_back(s.left);
    return sound;
}

// The sound as a card whose clock runs `ppm` parts per million slow against
// the sender's records it, from sent sample `from` on: every frame then
// takes 3841 (1 + ppm 1e-6) samples. Windowed-sinc interpolation.
inline std::vector<double> recorded(const std::vector<double>& sent, double ppm, double from = 0) {
    const double step = 1.0 / (1.0 + ppm * 1e-6);
    constexpr int Reach = 16;
    std::vector<double> out;
    for (double t = from; t < static_cast<double>(sent.size()) - Reach; t += step) {
        const auto base = static_cast<long>(std::floor(t));
        double sum = 0;
        for (long k = base - Reach + 1; k <= base + Reach; ++k) {
            if (k < 0) continue;
            const double d = t - static_cast<double>(k);
            const double sinc = d == 0 ? 1.0 : std::sin(std::numbers::pi * d) / (std::numbers::pi * d);
            const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * d / Reach);
            sum += sent[static_cast<std::size_t>(k)] * sinc * window;
        }
        out.push_back(sum);
    }
    return out;
}

// 16-bit sound as the 8-bit capture holds it: the top byte, 128 as zero.
inline std::vector<std::uint8_t> eightBit(const std::vector<double>& sound) {
    std::vector<std::uint8_t> bytes(sound.size());
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const long s = std::clamp(std::lround(sound[i]), -32768L, 32767L);
        bytes[i] = static_cast<std::uint8_t>((s >> 8) + 128);
    }
    return bytes;
}
