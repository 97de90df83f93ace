#pragma once
// The transmitter's one record of settings, given values when the window is
// initialised.
#include <cstdint>

namespace tx {

struct TransmitterSettings {
    std::int32_t regionX = 0;         // screen x of the grabbed region's left edge
    std::int32_t regionY = 0;         // screen y of its top edge
    std::int32_t lineSync = 0;        // +1 no line sync pulses, -1 pulses on
    std::int32_t syncPulseLevel = 0;  // level sent during a sync pulse
};

}  // namespace tx
