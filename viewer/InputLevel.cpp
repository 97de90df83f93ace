#include "viewer/InputLevel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/SignalFormat.h"

namespace rx {

InputLevel inputLevel(const std::uint8_t* samples, int count) {
    InputLevel level;
    if (count <= 0) return level;
    int peak = 0;
    double squares = 0;
    for (int n = 0; n < count; ++n) {
        const int v = samples[n] - 128;
        peak = std::max(peak, std::abs(v));
        squares += static_cast<double>(v) * v;
        if (samples[n] == 0 || samples[n] == 255) level.clipped = true;
    }
    level.peak = peak / 128.0;
    level.rms = std::sqrt(squares / count) / 128.0;
    return level;
}

std::array<double, 3> toneMarkers(int sampleRate) {
    const double k = sampleRate / static_cast<double>(nbtv::SignalRate);
    return {nbtv::BlackToneHz * k, nbtv::WhiteToneHz * k, nbtv::SyncToneHz * k};
}

}  // namespace rx
