// The aids' menus and commands, and what each frame gives the tuning
// display and the large picture.
#include "viewer/ReceiverAids.h"

#include <memory>

#include "dialog/ToolWindows.h"
#include "platform/SoundSpectrum.h"
#include "viewer/InputLevel.h"
#include "viewer/Viewer.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

ReceiverAids receiverAids;
std::chrono::steady_clock::time_point (*aidsClock)() = std::chrono::steady_clock::now;

namespace {

constexpr int PictureLeft = 44, PictureTop = 29, PictureHeight = 120;

// Made when the tuning display first opens, kept for the run: the
// transform is planned once.
std::unique_ptr<platform::Spectrum> spectrum;

void setTuningDisplay(HWND window, bool open) {
    receiverAids.tuningDisplay = open;
    if (open) {
        if (!spectrum) spectrum = std::make_unique<platform::Spectrum>();
        dialog::openTuningDisplay(window, TuningDisplayClosed);
    } else {
        dialog::closeTuningDisplay();
    }
    dialog::checkMenuItem(window, MenuTuningDisplay, open);
}

void setLargePicture(HWND window, bool open) {
    receiverAids.largePicture = open;
    if (open) {
        dialog::openLargePicture(window, LargePictureClosed);
        if (const PictureStore* store = shownPictureStore())
            dialog::showLargePicture(store->bytes.data(), PictureWidth, ShownRows);
    } else {
        dialog::closeLargePicture();
    }
    dialog::checkMenuItem(window, MenuLargePicture, open);
}

void feedTuningDisplay(const std::uint8_t* samples, int count) {
    const std::vector<float>& levels = spectrum->analyse(samples, count);
    const rx::InputLevel level = rx::inputLevel(samples, count);
    const std::array<double, 3> markers = rx::toneMarkers(receiverSettings.sampleRate);
    dialog::TuningFrame frame;
    frame.levelsDb = levels.data();
    frame.bins = static_cast<int>(levels.size());
    frame.topHz = receiverSettings.sampleRate / 2.0;
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
    switch (id) {
        case MenuSavePicture: savePictureCommand(window, shownPictureStore()); return true;
        case MenuAutoSave: autoSaveCommand(window); return true;
        case MenuRecordSound: recordSoundCommand(window); return true;
        case MenuTuningDisplay: setTuningDisplay(window, !receiverAids.tuningDisplay); return true;
        case MenuLargePicture: setLargePicture(window, !receiverAids.largePicture); return true;
        case TuningDisplayClosed:
            receiverAids.tuningDisplay = false;
            dialog::checkMenuItem(window, MenuTuningDisplay, false);
            return true;
        case LargePictureClosed:
            receiverAids.largePicture = false;
            dialog::checkMenuItem(window, MenuLargePicture, false);
            return true;
        default: return false;
    }
}

void aidsAfterFrame(HWND window, const std::uint8_t* samples, int count, const PictureStore& store) {
    if (receiverAids.recording) recordAfterFrame(window, samples, count);
    if (receiverAids.tuningDisplay) feedTuningDisplay(samples, count);
    if (receiverAids.largePicture) dialog::showLargePicture(store.bytes.data(), PictureWidth, ShownRows);
    if (receiverAids.autoSave) autoSaveAfterFrame(window, store);
}

void closeAids(HWND window) {
    stopSoundRecording(window);
    if (receiverAids.tuningDisplay) setTuningDisplay(window, false);
    if (receiverAids.largePicture) setLargePicture(window, false);
    receiverAids.autoSave = false;
}

void showNoSoundInput(HWND window) {
    dialog::drawPictureText(window, PictureLeft, PictureTop, PictureWidth, PictureHeight,
                            "No sound input");
}
