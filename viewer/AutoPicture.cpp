#include "viewer/AutoPicture.h"

#include <vector>

#include "dialog/DialogLayer.h"
#include "viewer/CalibratedLevels.h"
#include "viewer/FramedPictures.h"
#include "viewer/PictureDisplay.h"
#include "viewer/ReceiverValues.h"
#include "viewer/Viewer.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

namespace {

bool framingOn = false;
bool noiseReductionOn = false;
// Made when automatic framing is ticked, fed every captured sample while
// it stays on.
FramedPictures framed;

void setFraming(HWND window, bool on) {
    framingOn = on;
    dialog::checkMenuItem(window, MenuAutoFraming, on);
    if (on) {
        framed.reset(receiverSettings.sampleRate);
    } else {
        refreshReadouts(window);  // the frame rate the bar sets
    }
}

void calibrateLevels(HWND window) {
    ReceiverSettings& s = receiverSettings;
    const Levels levels = calibratedLevels(s);
    s.brightness = levels.brightness;
    s.contrast = levels.contrast;
    setBar(window, BrightnessBar, BrightnessRange, s.brightness);
    setBar(window, ContrastBar, ContrastRange, s.contrast);
    dialog::setControlText(window, BrightnessReadout, dialog::numberText(s.brightness));
    dialog::setControlText(window, ContrastReadout, dialog::numberText(s.contrast));
}

}  // namespace

void addAutoPictureItems(dialog::Menu* rateMenu) {
    dialog::addMenuItem(rateMenu, "-", 0, -1, nullptr);
    dialog::addMenuItem(rateMenu, "&Automatic framing", MenuAutoFraming, -1, nullptr);
    dialog::addMenuItem(rateMenu, "&Calibrated levels", MenuCalibratedLevels, -1, nullptr);
    dialog::addMenuItem(rateMenu, "&Noise reduction", MenuNoiseReduction, -1, nullptr);
}

bool autoFramingOn() { return framingOn; }

const PictureStore& autoFramingBuffer(HWND window, const std::uint8_t* samples, int count,
                                      PictureStore& store, FrameArrays& arrays) {
    const ReceiverSettings& s = receiverSettings;
    if (s.sampleRate != framed.sampleRate()) framed.reset(s.sampleRate);
    if (count > 0) framed.feed(samples, static_cast<std::size_t>(count));
    const PictureStore* shown = &store;
    while (framed.next(s, store, arrays)) {
        shown = framed.shown();
        showPicture(window, *shown, arrays.videoSignal.data());
    }
    dialog::setControlText(window, FrameRateReadout,
                           dialog::numberText(s.sampleRate / framed.tracker().period()));
    return *shown;
}

bool autoPictureCommand(HWND window, int id) {
    switch (id) {
        case MenuAutoFraming: setFraming(window, !framingOn); return true;
        case MenuCalibratedLevels: calibrateLevels(window); return true;
        case MenuNoiseReduction:
            noiseReductionOn = !noiseReductionOn;
            dialog::checkMenuItem(window, MenuNoiseReduction, noiseReductionOn);
            framed.setAveraging(noiseReductionOn ? NoiseReductionDepth : 1);
            return true;
        default: return false;
    }
}

void autoFramingOverridden(HWND window) {
    if (framingOn) setFraming(window, false);
}
