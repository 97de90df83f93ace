#pragma once
// The receiver as the framing checks and benchmarks set it: FM, the 1500 Hz
// filter, calibrated levels, at `rate`, with or without its line sync.
#include "core/SignalFormat.h"
#include "viewer/CalibratedLevels.h"
#include "viewer/ReceiverSettings.h"

namespace rxtest {

inline rx::ReceiverSettings calibratedFmReceiver(int rate, bool receiverSync) {
    rx::ReceiverSettings s;
    s.sampleRate = rate;
    s.frameSamples = nbtv::FrameSamples;
    s.lineSamples = receiverSync ? nbtv::LineSamples - 1 : nbtv::LineSamples;
    s.syncLevel = 128;
    s.syncOn = receiverSync ? 1 : -1;
    s.framePicture = s.bufferTurn = s.polarity = 1;
    s.lowPassCutoff = 1500;
    s.demodMode = rx::DemodFM;
    const rx::Levels levels = rx::calibratedLevels(s);
    s.brightness = levels.brightness;
    s.contrast = levels.contrast;
    return s;
}

}  // namespace rxtest
