#include "viewer/AutoPicture.h"

#include "dialog/DialogLayer.h"
#include "viewer/CalibratedLevels.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureDisplay.h"
#include "viewer/Readouts.h"
#include "viewer/ReceiverValues.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

namespace {

// Framing starts afresh with the next buffer of the capture stream.
void restartFraming() {
    AutoPictureState& a = viewer.autoPicture;
    a.framed.reset(viewer.settings.sampleRate);
    a.fedStream = viewer.capture.opened;
    a.fedFrom = viewer.capture.captured;
}

void setFraming(HWND window, bool on) {
    AutoPictureState& a = viewer.autoPicture;
    a.framing = on;
    dialog::checkMenuItem(window, MenuAutoFraming, on);
    if (on) {
        restartFraming();
    } else {
        showPictureNote(window, "");
        refreshReadouts(window);  // the frame rate the bar sets
        // The plain receiver goes on from the last frame start found, so the
        // picture stays where it stood.
        const std::int64_t start = a.framed.plainStart(viewer.settings);
        if (start >= 0) viewer.capture.alignTo = a.fedFrom + start;
    }
}

void calibrateLevels(HWND window) {
    ReceiverSettings& s = viewer.settings;
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

void markAutoPictureItems(HWND window) {
    for (int id : {MenuAutoFraming, MenuCalibratedLevels, MenuNoiseReduction}) dialog::checkMenuItem(window, id, false);
}

bool autoFramingOn() { return viewer.autoPicture.framing; }

const PictureStore* autoFramingBuffer(HWND window, const std::uint8_t* samples, int count,
                                      PictureStore& store, FrameArrays& arrays) {
    const ReceiverSettings& s = viewer.settings;
    FramedPictures& framed = viewer.autoPicture.framed;
    // A new capture stream (after a sample-rate command) is framed afresh.
    if (s.sampleRate != framed.sampleRate() || viewer.autoPicture.fedStream != viewer.capture.opened)
        restartFraming();
    if (count > 0) framed.feed(samples, static_cast<std::size_t>(count));
    // Framed pictures are shown only while the frame is found; until then
    // the plain receiver's picture, one frame per buffer, and a note that
    // says so.
    const PictureStore* shown = nullptr;
    while (framed.next(s, store, arrays)) {
        if (!framed.tracker().locked()) continue;
        shown = framed.shown();
        showPicture(window, *shown, arrays.videoSignal.data());
    }
    if (!framed.tracker().locked()) {
        demodulate(samples, s, arrays);
        scanFrame(arrays.videoSignal.data(), s, store);
        showPicture(window, store, arrays.videoSignal.data());
        shown = &store;
    }
    switch (framed.tracker().state()) {
        case FramingState::Locked: showPictureNote(window, ""); break;
        case FramingState::Searching: showPictureNote(window, "Searching for frames"); break;
        // A still picture without line sync whose frame start leaves no
        // trace: said, not guessed.
        case FramingState::NothingToFind: showPictureNote(window, "No frame start to find"); break;
    }
    dialog::setControlText(window, FrameRateReadout,
                           dialog::numberText(s.sampleRate / framed.tracker().period()));
    return shown;
}

bool autoPictureCommand(HWND window, int id) {
    AutoPictureState& a = viewer.autoPicture;
    switch (id) {
        case MenuAutoFraming: setFraming(window, !a.framing); return true;
        case MenuCalibratedLevels:
            a.calibratedLevels = !a.calibratedLevels;
            dialog::checkMenuItem(window, MenuCalibratedLevels, a.calibratedLevels);
            if (a.calibratedLevels) calibrateLevels(window);
            return true;
        case MenuNoiseReduction:
            a.noiseReduction = !a.noiseReduction;
            dialog::checkMenuItem(window, MenuNoiseReduction, a.noiseReduction);
            a.framed.setAveraging(a.noiseReduction ? NoiseReductionDepth : 1);
            // The average starts afresh; until the next frame the plain
            // picture is the one to save.
            if (viewer.capture.store) viewer.shown = viewer.capture.store.get();
            return true;
        default: return false;
    }
}

void autoFramingOverridden(HWND window) {
    if (viewer.autoPicture.framing) setFraming(window, false);
}

void followCalibratedLevels(HWND window) {
    if (viewer.autoPicture.calibratedLevels) calibrateLevels(window);
}

void levelsSetByHand(HWND window) {
    if (!viewer.autoPicture.calibratedLevels) return;
    viewer.autoPicture.calibratedLevels = false;
    dialog::checkMenuItem(window, MenuCalibratedLevels, false);
}
