#include "viewer/SampleRate.h"

#include "dialog/DialogLayer.h"
#include "viewer/Capture.h"
#include "viewer/ReceiverValues.h"
#include "viewer/SoundRecording.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

namespace {

void changeSampleRate(HWND window, int newRate, int newFrameSamples, EventHandler handler) {
    ReceiverSettings& s = viewer.settings;
    // A sound file holds one rate: the recording ends before the rate changes.
    stopSoundRecording(window);
    stopCapture();
    s.sampleRate = newRate;
    if (newFrameSamples > 0) {
        s.frameSamples = newFrameSamples;
        // The new length already holds the line "Frame picture" took away.
        s.framePicture = 1;
    }
    s.restarting = 1;
    // Shows the window again: initialisation reopens capture at the new
    // rate, then a nested loop runs until the window is destroyed.
    dialog::showModal(window, handler, nullptr);
}

void changeSampleRate(HWND window, const RatePreset& preset, EventHandler handler) {
    changeSampleRate(window, preset.sampleRate, preset.frameSamples, handler);
}

}  // namespace

bool sampleRateCommand(HWND window, int id, EventHandler handler) {
    const ReceiverSettings& s = viewer.settings;
    switch (id) {
        case MenuIncreaseRate: changeSampleRate(window, s.sampleRate + SampleRateStep, 0, handler); return true;
        case MenuDecreaseRate: changeSampleRate(window, s.sampleRate - SampleRateStep, 0, handler); return true;
        case MenuRate312: changeSampleRate(window, Preset312, handler); return true;
        case MenuRate260: changeSampleRate(window, Preset260, handler); return true;
        case MenuRate234: changeSampleRate(window, Preset234, handler); return true;
        case MenuRate208: changeSampleRate(window, Preset208, handler); return true;
        default: return false;
    }
}
