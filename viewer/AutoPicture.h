#pragma once
// Automatic picture: frames found in the signal by the framing tracker
// instead of one per capture buffer, levels worked out from the detector,
// and the average of the last few framed pictures. Items of the "Sample
// rate" menu; all off at start, and while automatic framing is off the
// receiver captures and draws exactly as it always has.
#include <cstdint>

#include "core/WindowTypes.h"
#include "viewer/Demodulator.h"
#include "viewer/FramedPictures.h"
#include "viewer/PictureStore.h"

namespace dialog {
struct Menu;
}

// How many framed pictures noise reduction averages.
constexpr int NoiseReductionDepth = 4;

struct AutoPictureState {
    bool framing = false;
    bool calibratedLevels = false;
    bool noiseReduction = false;
    // Reset when automatic framing is ticked, fed every captured sample
    // while it stays on; the capture stream position of its first sample.
    rx::FramedPictures framed;
    int fedStream = 0;
    std::int64_t fedFrom = 0;
};

// Appends a separator and the three items to the "Sample rate" menu; once
// the menu is attached, marks them as check items, unticked.
void addAutoPictureItems(dialog::Menu* rateMenu);
void markAutoPictureItems(win::HWND window);

bool autoFramingOn();

// A filled capture buffer of `count` samples while automatic framing is on:
// every whole frame the tracker has found is demodulated, scanned into the
// store and drawn (averaged while noise reduction is on and the tracker
// locked), and readout 102 shows the measured frame rate. Returns the
// picture shown, or null when no frame has been shown yet.
const rx::PictureStore* autoFramingBuffer(win::HWND window, const std::uint8_t* samples, int count,
                                          rx::PictureStore& store, rx::FrameArrays& arrays);

// The three menu commands; false for any other id.
bool autoPictureCommand(win::HWND window, int id);

// The user set the frame timing by hand (frame-rate or slant bar, "Frame
// picture"): automatic framing goes off.
void autoFramingOverridden(win::HWND window);

// While "Calibrated levels" is ticked, the levels follow what the detector
// makes of the tones: called after the polarity, demodulator, filter or
// sample rate changed. Brightness or contrast set by hand untick it.
void followCalibratedLevels(win::HWND window);
void levelsSetByHand(win::HWND window);
