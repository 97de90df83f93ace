#pragma once
// Helpers shared by the receiver's signal tests: settings at their start
// values, capture buffers holding tones, and a plain re-statement of the
// demodulator (arrays of 2N+1 positions, every filter term in order) that
// the fast one must match bit for bit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "viewer/Demodulator.h"
#include "viewer/DemodulatorFilters.h"
#include "viewer/ReceiverSettings.h"

inline ReceiverSettings startSettings() {
    ReceiverSettings s;
    s.sampleRate = 10000;
    s.frameSamples = 3841;
    s.lineSamples = 120;
    s.brightness = 277;
    s.contrast = 450;
    s.syncLevel = 128;
    s.syncOn = -1;
    s.polarity = 1;
    s.framePicture = 1;
    s.lowPassCutoff = 1500;
    s.demodMode = DemodFM;
    s.bufferTurn = 1;
    return s;
}

inline std::vector<std::uint8_t> captureBuffer() {
    return std::vector<std::uint8_t>(CaptureBufferBytes + CaptureBufferSlack, 0);
}

// A tone of the given amplitude in counts, filling positions 0..length-1.
inline std::vector<std::uint8_t> toneBuffer(double frequency, double sampleRate,
                                            double amplitude, int length) {
    std::vector<std::uint8_t> buffer = captureBuffer();
    const double pi = std::acos(-1.0);
    for (int n = 0; n < length; ++n)
        buffer[n] = static_cast<std::uint8_t>(
            std::nearbyint(128.0 + amplitude * std::cos(2.0 * pi * frequency * n / sampleRate)));
    return buffer;
}

inline std::uint32_t bitsOf(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// The demodulator written out step by step, with no short cuts.
inline std::vector<float> plainDemodulate(const std::uint8_t* x, const ReceiverSettings& s) {
    const int n = s.frameSamples;
    const std::size_t length = std::max<std::size_t>(2 * n + 1, n + 25);
    std::vector<float> mixedI(length, 0.0f), mixedQ(length, 0.0f), filteredI(length, 0.0f),
        filteredQ(length, 0.0f), video(VideoSignalLength, 0.0f);
    const int sine[4] = {0, 1, 0, -1}, cosine[4] = {1, 0, -1, 0};
    for (int g = 0; g <= n + 1; g += 4)
        for (int m = g; m < g + 4; ++m) {
            mixedI[m] = static_cast<float>((x[m] - 128) * sine[m % 4]);
            mixedQ[m] = static_cast<float>((x[m] - 128) * cosine[m % 4]);
        }
    const FilterTerm* terms = lowPassTerms(s.lowPassCutoff);
    for (int i = 0; i <= n + 1; ++i) {
        double sumI = 0.0, sumQ = 0.0;
        for (std::size_t j = 0; j < FilterTermCount; ++j) {
            sumI += terms[j].coefficient * static_cast<double>(mixedI[i + terms[j].offset]);
            sumQ += terms[j].coefficient * static_cast<double>(mixedQ[i + terms[j].offset]);
        }
        filteredI[i] = static_cast<float>(sumI);
        filteredQ[i] = static_cast<float>(sumQ);
    }
    for (int i = 0; i <= n + 1; ++i) {
        double v = 0.0;
        const double in = filteredI[i], quad = filteredQ[i];
        if (s.demodMode == DemodAM) {
            v = 0.5 * std::sqrt(in * in + quad * quad);
        } else if (i >= 1) {
            v = (static_cast<double>(filteredI[i - 1]) * quad -
                 static_cast<double>(filteredQ[i - 1]) * in) /
                (in * in + quad * quad);
        } else {
            continue;  // position 0 has no predecessor; it stays 0
        }
        if (s.polarity != 1) v = -v;
        video[i] = static_cast<float>(v);
        video[n + i] = static_cast<float>(v);
    }
    return video;
}
