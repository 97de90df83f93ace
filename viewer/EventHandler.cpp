// The receiver's one event handler and the initialisation that runs when
// the window opens and after every sample-rate command.
#include "viewer/EventHandler.h"

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "platform/SoundDevices.h"
#include "viewer/AutoPicture.h"
#include "viewer/Capture.h"
#include "viewer/Commands.h"
#include "viewer/InputDevices.h"
#include "viewer/Readouts.h"
#include "viewer/ReceiverAids.h"
#include "viewer/ReceiverValues.h"
#include "viewer/SampleRate.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

LRESULT viewerEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    capturePreamble();
    switch (message) {
        case WM_INITDIALOG: initialise(window); break;
        case MM_WIM_OPEN:
            startCapture();
            refreshInputDevices(window);
            break;
        case platform::WM_SOUNDDEVICES: refreshInputDevices(window); break;
        case MM_WIM_DATA: captureBufferDone(window, lParam); break;
        case WM_DESTROY:
            closeAids(window);
            stopCapture();
            freeCaptureBuffers();
            PostQuitMessage(0);
            break;
        case WM_VSCROLL: scrollBarAction(window, wParam, lParam); break;
        case WM_COMMAND:
            // A sample-rate command shows the window again with this handler.
            if (!sampleRateCommand(window, LOWORD(wParam), viewerEvent)) menuCommand(window, LOWORD(wParam));
            break;
        default: break;
    }
    return 0;
}

void initialise(HWND window) {
    ReceiverSettings& s = viewer.settings;
    // A re-initialisation shows the filter and demodulator in force, so the
    // check marks never disagree with what the receiver does.
    dialog::setCheck(window, LowPass800, s.lowPassCutoff == LowPassCutoffs[0]);
    dialog::setCheck(window, LowPass1200, s.lowPassCutoff == LowPassCutoffs[1]);
    dialog::setCheck(window, LowPass1500, s.lowPassCutoff == LowPassCutoffs[2]);
    dialog::setCheck(window, AmDemodulator, s.demodMode == DemodAM);
    dialog::setCheck(window, FmDemodulator, s.demodMode == DemodFM);

    if (s.restarting == 0) s.frameSamples = StartFrameSamples;
    setBar(window, FrameRateBar, FrameSamplesRange, s.frameSamples);

    if (s.restarting == 0) s.brightness = FmLevels.brightness;
    setBar(window, BrightnessBar, BrightnessRange, s.brightness);

    // The neutral line length for the sync state in force.
    s.lineSamples = s.syncOn == 1 ? SyncLineSamples : NeutralLineSamples;
    setBar(window, SlantBar, LineSamplesRange, s.lineSamples);

    s.contrast = levelsOf(s.demodMode).contrast;  // the demodulator's own start value
    setBar(window, ContrastBar, ContrastRange, s.contrast);

    s.syncLevel = StartSyncLevel;
    setBar(window, SyncLevelBar, SyncLevelRange, s.syncLevel);

    refreshReadouts(window);
    dialog::setControlText(window, PictureLevelReadout, dialog::numberText(s.sampleRate));
    // Calibrated levels follow the new rate.
    followCalibratedLevels(window);

    platform::watchSoundDevices(true, window);
    refreshInputDevices(window);
    openCapture(window);
}
