// The transmitter's one event handler: initialisation, played buffers,
// the region scroll bars, and the end of the window.
#include "transmitter/EventHandler.h"

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "dialog/StationQuestions.h"
#include "platform/PlaybackState.h"
#include "platform/ProcessStart.h"
#include "platform/PushToTalk.h"
#include "platform/ScreenCapture.h"
#include "platform/SoundDevices.h"
#include "platform/StopSignals.h"
#include "transmitter/FrameBuild.h"
#include "transmitter/OutputDevices.h"
#include "transmitter/Playback.h"
#include "transmitter/Station.h"
#include "transmitter/StationMenu.h"
#include "transmitter/Transmitter.h"
#include "transmitter/TransmitterState.h"
#include "transmitter/TransmitterValues.h"

using namespace win;
using namespace transmitter_id;
using namespace tx;

namespace {

void initialiseTransmitter(HWND window) {
    TransmitterSettings& s = transmitter.settings;
    s.syncPulseLevel = StartSyncPulseLevel;
    s.lineSync = 1;
    dialog::setCheck(window, LineSync, 0);

    s.regionX = StartRegionX;
    HWND barX = GetDlgItem(window, ScrollX);
    SetScrollRange(barX, SB_CTL, RegionXMin, RegionXMax, true);
    SetScrollPos(barX, SB_CTL, s.regionX, true);
    dialog::setControlText(window, ValueX, dialog::numberText(s.regionX));

    s.regionY = StartRegionY;
    HWND barY = GetDlgItem(window, ScrollY);
    SetScrollRange(barY, SB_CTL, RegionYMin, RegionYMax, true);
    SetScrollPos(barY, SB_CTL, s.regionY, true);
    dialog::setControlText(window, ValueY, dialog::numberText(s.regionY));

    startStation(window);
    showStationChecks(window);
    platform::watchSoundDevices(false, window);
    refreshOutputDevices(window);
    startSoundOutput(window);
    startSending();
}

bool fromOutput(WPARAM device) {
    return device == reinterpret_cast<WPARAM>(transmitter.output.device);
}

}  // namespace

LRESULT transmitterEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: initialiseTransmitter(window); break;
        case MM_WOM_DONE: soundBufferDone(reinterpret_cast<const WAVEHDR*>(lParam)); break;
        case MM_WOM_OPEN:
        case platform::WM_SOUNDDEVICES: refreshOutputDevices(window); break;
        case WM_COMMAND:
            if (!stationCommand(window, LOWORD(wParam))) outputDeviceCommand(window, LOWORD(wParam));
            break;
        case WM_TIMER:
            if (wParam == PushToTalkRetryTimer) retryPushToTalk();
            break;
        case platform::WM_PUSHTOTALK: pushToTalkNews(wParam, lParam); break;
        case platform::WM_PLAYBACKFAILED:
            if (fromOutput(wParam)) playbackFailed();
            break;
        case platform::WM_STOPSIGNAL:
            // As the close box: whatever question is open goes first.
            dialog::cancelQuestions();
            dialog::endDialog(window, 0);
            break;
        case WM_DESTROY:
            endStation(stopSoundOutput());
            platform::stopScreenCapture();
            PostQuitMessage(0);
            break;
        case WM_HSCROLL:
        case WM_VSCROLL: regionScroll(window, wParam, lParam); break;
        default: break;
    }
    return 0;
}

void regionScroll(HWND window, WPARAM wParam, LPARAM lParam) {
    TransmitterSettings& s = transmitter.settings;
    HWND bar = reinterpret_cast<HWND>(lParam);
    const int id = static_cast<int>(GetWindowLongA(bar, GWL_ID));
    std::int32_t* value = id == ScrollX ? &s.regionX : id == ScrollY ? &s.regionY : nullptr;
    if (value != nullptr) {
        switch (LOWORD(wParam)) {
            case SB_LINEUP: *value -= RegionLineStep; break;
            case SB_LINEDOWN: *value += RegionLineStep; break;
            case SB_PAGEUP: *value -= RegionPageStep; break;
            case SB_PAGEDOWN: *value += RegionPageStep; break;
            case SB_THUMBTRACK: *value = HIWORD(wParam); break;
            default: break;
        }
    }
    // The region is not held to the bars' ranges; the thumbs stay at the ends.
    if (id == ScrollX) SetScrollPos(bar, SB_CTL, s.regionX, true);
    dialog::setControlText(window, ValueX, dialog::numberText(s.regionX));
    if (id == ScrollY) SetScrollPos(bar, SB_CTL, s.regionY, true);
    dialog::setControlText(window, ValueY, dialog::numberText(s.regionY));
    // While nothing is sent, the preview follows the region at once.
    if (!transmitter.sending.wanted) showStillPicture();
}

LRESULT onAdjustOutput(HWND, UINT, WPARAM, LPARAM) {
    platform::startProcess(platform::volumeControlCommand(platform::VolumePage::Playback), false);
    return 0;
}

LRESULT onLineSync(HWND, UINT, WPARAM, LPARAM) {
    transmitter.settings.lineSync = -transmitter.settings.lineSync;
    return 0;
}
