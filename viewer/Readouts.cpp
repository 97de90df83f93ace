#include "viewer/Readouts.h"

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

void showFrameRate(HWND window) {
    const ReceiverSettings& s = viewer.settings;
    dialog::setControlText(window, FrameRateReadout,
                           dialog::numberText(static_cast<double>(s.sampleRate) / s.frameSamples));
}

void setBar(HWND window, int barId, BarRange range, int position) {
    HWND bar = GetDlgItem(window, barId);
    SetScrollRange(bar, SB_CTL, range.min, range.max, true);
    SetScrollPos(bar, SB_CTL, position, true);
}

void refreshReadouts(HWND window) {
    const ReceiverSettings& s = viewer.settings;
    showFrameRate(window);
    dialog::setControlText(window, SlantReadout, dialog::numberText(s.lineSamples - NeutralLineSamples));
    dialog::setControlText(window, BrightnessReadout, dialog::numberText(s.brightness));
    dialog::setControlText(window, ContrastReadout, dialog::numberText(s.contrast));
    dialog::setControlText(window, SyncLevelReadout, dialog::numberText(s.syncLevel));
}
