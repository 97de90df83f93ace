#pragma once
// A voice channel between the transmitter's sound and the receiver, for the
// framing tests: a 300-2700 Hz band-pass (Blackman-windowed sinc, delay
// taken out; it keeps little of the 2969 Hz line sync bursts but their
// edges) and white noise at an SNR over the whole band.
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

inline std::vector<double> voiceChannel(const std::vector<double>& x) {
    constexpr long Reach = 128;
    std::vector<double> h(2 * Reach + 1);
    for (long k = -Reach; k <= Reach; ++k) {
        const double t = std::numbers::pi * static_cast<double>(k);
        auto lowPass = [k, t](double f) { return k == 0 ? 2 * f / 10000 : std::sin(t * 2 * f / 10000) / t; };
        const double window = 0.42 + 0.5 * std::cos(t / Reach) + 0.08 * std::cos(2 * t / Reach);
        h[static_cast<std::size_t>(k + Reach)] = (lowPass(2700) - lowPass(300)) * window;
    }
    std::vector<double> y(x.size(), 0.0);
    for (std::size_t i = 0; i < x.size(); ++i)
        for (long k = -Reach; k <= Reach; ++k) {
            const long j = static_cast<long>(i) - k;
            if (j >= 0 && j < static_cast<long>(x.size()))
                y[i] += h[static_cast<std::size_t>(k + Reach)] * x[static_cast<std::size_t>(j)];
        }
    return y;
}

// White noise `snr` dB below the sound's power, from a fixed seed.
inline void addNoise(std::vector<double>& x, double snr, unsigned seed) {
    double power = 0;
    for (double v : x) power += v * v;
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, std::sqrt(power / static_cast<double>(x.size()) / std::pow(10.0, snr / 10)));
    for (double& v : x) v += noise(random);
}
