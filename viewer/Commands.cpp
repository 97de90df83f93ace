// What every control, scroll bar and menu command of the receiver does.
// Each change takes effect from the next frame.
#include <algorithm>

#include "viewer/Commands.h"

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "platform/ProcessStart.h"
#include "viewer/AutoPicture.h"
#include "viewer/InputDevices.h"
#include "viewer/Readouts.h"
#include "viewer/ReceiverAids.h"
#include "viewer/ReceiverValues.h"
#include "viewer/OperatingGuide.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

namespace {

const char* const HelpText =
    "1. Tune signal in the same way as for SSTV\r\n"
    "2. This receive program will also demodulate an AM subcarrier signal\r\n"
    "3. Ultra-white line sync detection is included, but not very reliable\r\n"
    "4. Adjust vertical frame drift by FRAME RATE scrollbar (use arrows for fine adjustment "
    "rather than the thumbtrack)\r\n"
    "5. Use FRAME PICTURE button to adjust horizontal drift (press once to activate and then "
    "again to stop)\r\n"
    "6. SLANT ADJUST scrollbar adjusts skewed picture\r\n"
    "7. Use SAMPLE RATE if needed as fine adjustment of picture slant if SLANT ADJUST is too "
    "coarse\r\n"
    "8. ADJUST INPUT is used to adjust soundcard input levels. Adjust as for SSTV ie not too high "
    "nor too low\r\n"
    "9. INVERT PICTURE changes picture from positive to negative (for AM demodulation if needed)";

const std::string AboutText = std::string("32 line, Orvane AM/FM mono viewer\r\nby Kelbrin\r\nVersion ") +
                              NBTV_VERSION;

void startVolumeControl() {
    platform::startProcess(platform::volumeControlCommand(platform::VolumePage::Recording), false);
}

void chooseDemodulator(HWND window, int mode) {
    ReceiverSettings& s = viewer.settings;
    const DemodulatorLevels& levels = levelsOf(mode);
    s.demodMode = mode;
    s.contrast = levels.contrast;
    setBar(window, ContrastBar, ContrastRange, s.contrast);
    dialog::setControlText(window, ContrastReadout, dialog::numberText(s.contrast));
    s.brightness = levels.brightness;
    setBar(window, BrightnessBar, BrightnessRange, s.brightness);
    dialog::setControlText(window, BrightnessReadout, dialog::numberText(s.brightness));
    s.polarity = levels.polarity;
    // The mark means "inverted from this demodulator's normal".
    dialog::setCheck(window, InvertPicture, 0);
    followCalibratedLevels(window);
}

}  // namespace

LRESULT onInvertPicture(HWND window, UINT, WPARAM, LPARAM) {
    viewer.settings.polarity = -viewer.settings.polarity;
    followCalibratedLevels(window);
    return 0;
}

LRESULT onSyncOn(HWND window, UINT, WPARAM, LPARAM) {
    ReceiverSettings& s = viewer.settings;
    s.syncOn = -s.syncOn;
    // The sync search takes one sample of every line.
    s.lineSamples += s.syncOn == -1 ? 1 : -1;
    setBar(window, SlantBar, LineSamplesRange, s.lineSamples);
    dialog::setControlText(window, SlantReadout, dialog::numberText(s.lineSamples - NeutralLineSamples));
    return 0;
}

LRESULT onAdjustInput(HWND, UINT, WPARAM, LPARAM) {
    startVolumeControl();
    return 0;
}

LRESULT onLowPass800(HWND window, UINT, WPARAM, LPARAM) {
    viewer.settings.lowPassCutoff = LowPassCutoffs[0];
    followCalibratedLevels(window);
    return 0;
}

LRESULT onLowPass1200(HWND window, UINT, WPARAM, LPARAM) {
    viewer.settings.lowPassCutoff = LowPassCutoffs[1];
    followCalibratedLevels(window);
    return 0;
}

LRESULT onLowPass1500(HWND window, UINT, WPARAM, LPARAM) {
    viewer.settings.lowPassCutoff = LowPassCutoffs[2];
    followCalibratedLevels(window);
    return 0;
}

LRESULT onAmDemodulator(HWND window, UINT, WPARAM, LPARAM) {
    chooseDemodulator(window, DemodAM);
    return 0;
}

LRESULT onFmDemodulator(HWND window, UINT, WPARAM, LPARAM) {
    chooseDemodulator(window, DemodFM);
    return 0;
}

LRESULT onFramePicture(HWND window, UINT, WPARAM, LPARAM) {
    ReceiverSettings& s = viewer.settings;
    autoFramingOverridden(window);
    s.framePicture = -s.framePicture;
    // Pressed once, every frame is one line short and the picture walks
    // sideways a line per frame; pressed again, the line is given back.
    s.frameSamples += s.framePicture == -1 ? -s.lineSamples : s.lineSamples;
    SetScrollPos(GetDlgItem(window, FrameRateBar), SB_CTL, s.frameSamples, true);
    showFrameRate(window);
    return 0;
}

void scrollBarAction(HWND window, WPARAM wParam, LPARAM lParam) {
    ReceiverSettings& s = viewer.settings;
    HWND bar = reinterpret_cast<HWND>(lParam);
    const int id = static_cast<int>(GetWindowLongA(bar, GWL_ID));
    const int code = LOWORD(wParam);
    const int thumb = HIWORD(wParam);

    std::int32_t* setting = nullptr;
    int pageStep = PageStep;
    switch (id) {
        case FrameRateBar: setting = &s.frameSamples; break;
        case SlantBar: setting = &s.lineSamples; pageStep = SlantPageStep; break;
        case BrightnessBar: setting = &s.brightness; break;
        case ContrastBar: setting = &s.contrast; break;
        case SyncLevelBar: setting = &s.syncLevel; break;
        default: break;
    }
    if (setting != nullptr) {
        const std::int32_t before = *setting;
        switch (code) {
            case SB_LINEUP: *setting -= LineStep; break;
            case SB_LINEDOWN: *setting += LineStep; break;
            case SB_PAGEUP: *setting -= pageStep; break;
            case SB_PAGEDOWN: *setting += pageStep; break;
            case SB_THUMBTRACK: *setting = thumb; break;
            default: break;
        }
        if (id == FrameRateBar) s.frameSamples = std::max(s.frameSamples, FrameSamplesRange.min);
        if (id == SlantBar) s.lineSamples = std::clamp(s.lineSamples, LineSamplesRange.min, LineSamplesRange.max);
        SetScrollPos(bar, SB_CTL, *setting, true);
        // Frame timing or levels set by hand take over from the automatic ones.
        if ((id == FrameRateBar || id == SlantBar) && *setting != before) autoFramingOverridden(window);
        if ((id == BrightnessBar || id == ContrastBar) && *setting != before) levelsSetByHand(window);
    }
    refreshReadouts(window);
}

void menuCommand(HWND window, int id) {
    switch (id) {
        case MenuExit: dialog::endDialog(window, 0); break;
        case MenuAdjustInput: startVolumeControl(); break;
        case MenuHelp: dialog::messageBox(HelpText, "HELP notes", MB_OK | MB_ICONINFORMATION); break;
        case MenuAbout:
            dialog::messageBox(AboutText, "Orvane Viewer", MB_OK | MB_ICONINFORMATION);
            break;
        case MenuOperatingGuide: showOperatingGuide(); break;
        default:
            if (id >= InputDeviceDefault && id <= InputDeviceLast) {
                chooseInputDevice(window, id);
            } else if (!autoPictureCommand(window, id)) {
                aidCommand(window, id);
            }
            break;
    }
}
