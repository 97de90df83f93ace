#pragma once
// The receiver's numbers in one place: start values, the bars' ranges and
// steps, the demodulators' levels and the sample-rate presets. The window,
// the commands and nbtvcodec's decode options all read them from here.
#include <cstdint>

#include "core/SignalFormat.h"
#include "viewer/ReceiverSettings.h"

namespace rx {

struct BarRange {
    int min;
    int max;
};

// Start values (the demodulator's levels are below).
constexpr std::int32_t StartSampleRate = nbtv::SignalRate;
constexpr std::int32_t StartFrameSamples = nbtv::FrameSamples;
constexpr std::int32_t StartLowPassCutoff = 1500;
constexpr std::int32_t StartDemodMode = DemodFM;
constexpr std::int32_t StartSyncLevel = 128;
// The neutral line length, and the one the sync search leaves (it takes
// one sample of every line).
constexpr std::int32_t NeutralLineSamples = nbtv::LineSamples;
constexpr std::int32_t SyncLineSamples = NeutralLineSamples - 1;

// What each demodulator starts with when it is chosen.
struct DemodulatorLevels {
    std::int32_t contrast;
    std::int32_t brightness;
    std::int32_t polarity;
};
constexpr DemodulatorLevels AmLevels{7, 350, -1};
constexpr DemodulatorLevels FmLevels{450, 277, 1};
constexpr const DemodulatorLevels& levelsOf(std::int32_t demodMode) {
    return demodMode == DemodAM ? AmLevels : FmLevels;
}

// The bars. The frame length and line length are held to their bars'
// ranges because the processing needs them there; the other settings move
// past their bar's ends freely.
constexpr BarRange FrameSamplesRange{2400, 16800};
constexpr BarRange LineSamplesRange{100, 180};
constexpr BarRange BrightnessRange{0, 512};
constexpr BarRange ContrastRange{0, 1024};
constexpr BarRange SyncLevelRange{0, 255};
constexpr int LineStep = 1;
constexpr int PageStep = 10;
constexpr int SlantPageStep = 1;

// The low-pass filters.
constexpr std::int32_t LowPassCutoffs[] = {800, 1200, 1500};

// Sample-rate commands: one step up or down, and the presets (a frame
// length of 0 keeps the one in force).
constexpr std::int32_t SampleRateStep = 200;
struct RatePreset {
    std::int32_t sampleRate;
    std::int32_t frameSamples;
};
constexpr RatePreset Preset312{12000, 3841};
constexpr RatePreset Preset260{10000, 3841};
constexpr RatePreset Preset234{9000, 3841};
constexpr RatePreset Preset208{8000, 0};

}  // namespace rx
