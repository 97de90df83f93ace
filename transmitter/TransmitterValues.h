#pragma once
// The transmitter's numbers in one place: start values and the region bars.
#include <cstdint>

#include "transmitter/Synthesis.h"

namespace tx {

constexpr std::int32_t StartRegionX = 200;
constexpr std::int32_t StartRegionY = 200;
constexpr std::int32_t StartSyncPulseLevel = StandardSyncPulseLevel;
constexpr int RegionXMin = 1, RegionXMax = 605;
constexpr int RegionYMin = 1, RegionYMax = 400;
constexpr int RegionLineStep = 1;
constexpr int RegionPageStep = 10;

}  // namespace tx
