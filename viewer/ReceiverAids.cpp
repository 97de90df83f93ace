// The aids' menus and commands, and what each frame gives the tuning
// display and the large picture.
#include "viewer/ReceiverAids.h"

#include "dialog/ToolWindows.h"
#include "viewer/InputLevel.h"
#include "viewer/PictureSaving.h"
#include "viewer/SoundRecording.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

namespace {

void setTuningDisplay(HWND window, bool open) {
    AidsState& a = viewer.aids;
    a.tuningDisplay = open;
    if (open) {
        if (!a.spectrum) a.spectrum = std::make_unique<platform::Spectrum>();
        dialog::openTuningDisplay(window, TuningDisplayClosed);
    } else {
        dialog::closeTuningDisplay();
    }
    dialog::checkMenuItem(window, MenuTuningDisplay, open);
}

void setLargePicture(HWND window, bool open) {
    viewer.aids.largePicture = open;
    if (open) {
        dialog::openLargePicture(window, LargePictureClosed);
        if (viewer.shown != nullptr) dialog::showLargePicture(viewer.shown->bytes.data(), PictureWidth, ShownRows);
    } else {
        dialog::closeLargePicture();
    }
    dialog::checkMenuItem(window, MenuLargePicture, open);
}

void feedTuningDisplay(const std::uint8_t* samples, int count) {
    const std::vector<float>& levels = viewer.aids.spectrum->analyse(samples, count);
    const rx::InputLevel level = rx::inputLevel(samples, count);
    const std::array<double, 3> markers = rx::toneMarkers(viewer.settings.sampleRate);
    dialog::TuningFrame frame;
    frame.levelsDb = levels.data();
    frame.bins = static_cast<int>(levels.size());
    frame.topHz = viewer.settings.sampleRate / 2.0;
    frame.markersHz = markers.data();
    frame.markerCount = static_cast<int>(markers.size());
    frame.peak = level.peak;
    frame.rms = level.rms;
    frame.clipped = level.clipped;
    dialog::showTuning(frame);
}

}  // namespace

void addAidMenus(HWND, dialog::HMENU bar, dialog::HMENU file, dialog::HMENU input, int viewPosition) {
    dialog::addMenuItem(file, "-", 0, -1, nullptr);
    dialog::addMenuItem(file, "&Save picture...", MenuSavePicture, -1, nullptr);
    dialog::addMenuItem(file, "Save pictures &automatically", MenuAutoSave, -1, nullptr);
    dialog::addMenuItem(file, "&Record sound...", MenuRecordSound, -1, nullptr);
    dialog::addMenuItem(input, "&Tuning display", MenuTuningDisplay, -1, nullptr);
    dialog::HMENU view = dialog::newMenu(false);
    dialog::addMenuItem(view, "&Large picture", MenuLargePicture, -1, nullptr);
    dialog::addMenuItem(bar, "&View", 0, viewPosition, nullptr, true, view);
}

void addAidShortcuts(HWND window) {
    dialog::setMenuShortcut(window, MenuSavePicture, "Ctrl+S");
    // Check items, unticked until used.
    for (int id : {MenuAutoSave, MenuRecordSound, MenuTuningDisplay, MenuLargePicture})
        dialog::checkMenuItem(window, id, false);
}

bool aidCommand(HWND window, int id) {
    AidsState& a = viewer.aids;
    switch (id) {
        case MenuSavePicture: savePictureCommand(window, viewer.shown); return true;
        case MenuAutoSave: autoSaveCommand(window); return true;
        case MenuRecordSound: recordSoundCommand(window); return true;
        case MenuTuningDisplay: setTuningDisplay(window, !a.tuningDisplay); return true;
        case MenuLargePicture: setLargePicture(window, !a.largePicture); return true;
        case TuningDisplayClosed:
            a.tuningDisplay = false;
            dialog::checkMenuItem(window, MenuTuningDisplay, false);
            return true;
        case LargePictureClosed:
            a.largePicture = false;
            dialog::checkMenuItem(window, MenuLargePicture, false);
            return true;
        default: return false;
    }
}

void aidsAfterFrame(HWND window, const std::uint8_t* samples, int count, const PictureStore* shown) {
    if (viewer.recording.on) recordAfterFrame(window, samples, count);
    if (viewer.aids.tuningDisplay) feedTuningDisplay(samples, count);
    if (shown == nullptr) return;
    if (viewer.aids.largePicture) dialog::showLargePicture(shown->bytes.data(), PictureWidth, ShownRows);
    if (viewer.saving.autoSave) autoSaveAfterFrame(window, *shown);
}

void closeAids(HWND window) {
    stopSoundRecording(window);
    if (viewer.aids.tuningDisplay) setTuningDisplay(window, false);
    if (viewer.aids.largePicture) setLargePicture(window, false);
    viewer.saving.autoSave = false;
}
