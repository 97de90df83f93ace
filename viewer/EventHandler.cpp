// The receiver's one event handler and the initialisation that runs when
// the window opens and after every sample-rate command.
#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "platform/SoundDevices.h"
#include "viewer/Viewer.h"

using namespace win;
using namespace viewer_id;

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
            stopCapture();
            freeCaptureBuffers();
            PostQuitMessage(0);
            break;
        case WM_VSCROLL: scrollBarAction(window, wParam, lParam); break;
        case WM_COMMAND: menuCommand(window, LOWORD(wParam)); break;
        default: break;
    }
    return 0;
}

void initialise(HWND window) {
    ReceiverSettings& s = receiverSettings;
    // A re-initialisation shows the filter and demodulator in force, so the
    // check marks never disagree with what the receiver does.
    dialog::setCheck(window, LowPass800, s.lowPassCutoff == 800);
    dialog::setCheck(window, LowPass1200, s.lowPassCutoff == 1200);
    dialog::setCheck(window, LowPass1500, s.lowPassCutoff == 1500);
    dialog::setCheck(window, AmDemodulator, s.demodMode == DemodAM);
    dialog::setCheck(window, FmDemodulator, s.demodMode == DemodFM);

    if (s.restarting == 0) s.frameSamples = 3841;
    setBar(window, FrameRateBar, 2400, 16800, s.frameSamples);

    if (s.restarting == 0) s.brightness = 277;
    setBar(window, BrightnessBar, 0, 512, s.brightness);

    s.lineSamples = 120;
    setBar(window, SlantBar, 100, 180, s.lineSamples);

    s.contrast = 450;
    setBar(window, ContrastBar, 0, 1024, s.contrast);

    s.syncLevel = 128;
    setBar(window, SyncLevelBar, 0, 255, s.syncLevel);

    refreshReadouts(window);
    dialog::setControlText(window, PictureLevelReadout, dialog::numberText(s.sampleRate));

    platform::watchSoundDevices(true, window);
    refreshInputDevices(window);
    openCapture(window);
}
