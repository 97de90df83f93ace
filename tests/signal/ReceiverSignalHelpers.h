#pragma once
// Shared by the receiver's signal tests: start settings, tone buffers, and
// the demodulator written out plainly (arrays of 2N+1 positions, every
// filter term in order) for the fast one to match bit for bit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "core/SignalFormat.h"
#include "viewer/Demodulator.h"
#include "viewer/DemodulatorFilters.h"

using namespace rx;

inline ReceiverSettings startSettings() {
    ReceiverSettings s;
    s.sampleRate = nbtv::SignalRate;
    s.frameSamples = nbtv::FrameSamples;
    s.lineSamples = 120;
    s.brightness = 277;
    s.contrast = 450;
    s.syncLevel = 128;
    s.framePicture = s.bufferTurn = s.polarity = 1;
    s.syncOn = -1;
    s.lowPassCutoff = 1500;
    s.demodMode = DemodFM;
    return s;
}

// A tone of `amplitude` counts in positions 0..length-1 of a capture buffer.
inline std::vector<std::uint8_t> toneBuffer(double frequency, double rate, double amplitude, int length) {
    std::vector<std::uint8_t> buffer(CaptureBufferBytes + CaptureBufferSlack, 0);
    for (int n = 0; n < length; ++n)
        buffer[n] = static_cast<std::uint8_t>(
            std::nearbyint(128.0 + amplitude * std::cos(2.0 * std::numbers::pi * frequency * n / rate)));
    return buffer;
}

inline std::uint32_t bitsOf(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

inline std::vector<float> plainDemodulate(const std::uint8_t* x, const ReceiverSettings& s) {
    const int n = s.frameSamples, sine[4] = {0, 1, 0, -1}, cosine[4] = {1, 0, -1, 0};
    const std::size_t length = std::max(2 * n + 1, n + 25);
    std::vector<float> mixI(length), mixQ(length), fI(length), fQ(length), video(VideoSignalLength);
    for (int m = 0; m <= 4 * ((n + 1) / 4) + 3; ++m) {
        mixI[m] = static_cast<float>((x[m] - 128) * sine[m % 4]);
        mixQ[m] = static_cast<float>((x[m] - 128) * cosine[m % 4]);
    }
    const FilterTerm* terms = lowPassTerms(s.lowPassCutoff);
    for (int i = 0; i <= n + 1; ++i) {
        double sumI = 0.0, sumQ = 0.0;
        for (std::size_t j = 0; j < FilterTermCount; ++j) {
            sumI += terms[j].coefficient * static_cast<double>(mixI[i + terms[j].offset]);
            sumQ += terms[j].coefficient * static_cast<double>(mixQ[i + terms[j].offset]);
        }
        fI[i] = static_cast<float>(sumI);
        fQ[i] = static_cast<float>(sumQ);
    }
    for (int i = (s.demodMode == DemodAM ? 0 : 1); i <= n + 1; ++i) {
        const double in = fI[i], quad = fQ[i];
        double v = s.demodMode == DemodAM ? 0.5 * std::sqrt(in * in + quad * quad)
                                          : (double(fI[i - 1]) * quad - double(fQ[i - 1]) * in) / (in * in + quad * quad);
        if (s.polarity != 1) v = -v;
        video[i] = video[n + i] = static_cast<float>(v);
    }
    return video;
}
