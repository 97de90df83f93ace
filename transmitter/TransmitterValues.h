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

// Station identification: the callsign band along the top of every
// picture (the end of every line, clear of the line sync pulses at their
// starts), and the identification frame, three frames of the callsign
// alone every 10 minutes on the air.
constexpr int CallsignBandRows = 34;
constexpr int CallsignBandEdgeRows = 4;  // black above the letters
constexpr int IdentificationTextTop = 28;
constexpr int IdentificationTextRows = 64;
constexpr int IdentificationFrames = 3;
constexpr long long IdentificationInterval = 600LL * SampleRate;  // samples

// A folder's pictures are each sent for this many frames unless told.
constexpr int StartFramesPerPicture = 10;
// Push-to-talk: the radio is keyed this long before the first sample; a
// radio that could not be keyed is tried again this often while sending is
// on.
constexpr int StartPushToTalkLeadMs = 100;
constexpr int PushToTalkRetryMs = 5000;

}  // namespace tx
