// The receiver's window: every control and menu, the start values, and the
// program's start.
#include "viewer/Window.h"

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "platform/SoundDevices.h"
#include "viewer/AutoPicture.h"
#include "viewer/Commands.h"
#include "viewer/EventHandler.h"
#include "viewer/InputDevices.h"
#include "viewer/OperatingGuide.h"
#include "viewer/ReceiverAids.h"
#include "viewer/ReceiverValues.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerState.h"

using namespace win;
using dialog::ControlKind;
using namespace viewer_id;
using namespace rx;

namespace {

const std::string Caption = "32 line, Orvane AM/FM mono viewer, by Kelbrin";

void addLabel(HWND w, int id, const char* text, int x, int y, int width, int height, DWORD style) {
    dialog::addControl(w, ControlKind::Label, id, text, x, y, width, height,
                       WS_CHILD | WS_VISIBLE | style, 0, nullptr);
}

void addReadout(HWND w, int id, int x, int y, int width, int height) {
    addLabel(w, id, "", x, y, width, height, SS_SUNKEN | SS_CENTERIMAGE);
}

void addFrameBox(HWND w, int x, int y, int width, int height) {
    dialog::addControl(w, ControlKind::TextBox, -1, "", x, y, width, height,
                       WS_CHILD | WS_VISIBLE | ES_READONLY, WS_EX_CLIENTEDGE, nullptr);
}

void addBar(HWND w, int id, int x) {
    dialog::addControl(w, ControlKind::ScrollBar, id, "", x, 27, 11, 142,
                       WS_CHILD | WS_VISIBLE | SBS_VERT | WS_TABSTOP, 0, nullptr);
}

void addButton(HWND w, ControlKind kind, int id, const char* text, int x, int y, int width,
               int height, DWORD style, EventHandler handler) {
    dialog::addControl(w, kind, id, text, x, y, width, height, WS_CHILD | WS_VISIBLE | style, 0,
                       handler);
}

void addMenus(HWND w) {
    dialog::HMENU bar = dialog::newMenu(true);
    dialog::HMENU file = dialog::newMenu(false);
    dialog::addMenuItem(file, "&Exit", MenuExit, -1, nullptr);
    dialog::addMenuItem(bar, "&File", 0, -1, nullptr, true, file);

    dialog::HMENU input = dialog::newMenu(false);
    dialog::addMenuItem(input, "&Adjust input (Sndvol32)", MenuAdjustInput, -1, nullptr);
    dialog::addMenuItem(bar, "I&nput", 0, -1, nullptr, true, input);

    dialog::HMENU rate = dialog::newMenu(false);
    dialog::addMenuItem(rate, "&Increase frame rate", MenuIncreaseRate, -1, nullptr);
    dialog::addMenuItem(rate, "-", 0, -1, nullptr);
    dialog::addMenuItem(rate, "&Decrease frame rate", MenuDecreaseRate, -1, nullptr);
    dialog::addMenuItem(rate, "-", 0, -1, nullptr);
    dialog::addMenuItem(rate, "-", 0, -1, nullptr);
    dialog::addMenuItem(rate, "3.12 frames/sec", MenuRate312, -1, nullptr);
    dialog::addMenuItem(rate, "-", 0, -1, nullptr);
    dialog::addMenuItem(rate, "2.60 frames/sec", MenuRate260, -1, nullptr);
    dialog::addMenuItem(rate, "-", 0, -1, nullptr);
    dialog::addMenuItem(rate, "2.34 frames/sec", MenuRate234, -1, nullptr);
    dialog::addMenuItem(rate, "-", 0, -1, nullptr);
    dialog::addMenuItem(rate, "2.08 frames/sec", MenuRate208, -1, nullptr);
    addAutoPictureItems(rate);
    dialog::addMenuItem(bar, "Sample &rate", 0, -1, nullptr, true, rate);

    dialog::HMENU help = dialog::newMenu(false);
    dialog::addMenuItem(help, "&Help", MenuHelp, -1, nullptr);
    dialog::addMenuItem(help, "-", 0, -1, nullptr);
    dialog::addMenuItem(help, "&About", MenuAbout, -1, nullptr);
    dialog::addMenuItem(help, "-", 0, -1, nullptr);
    dialog::addMenuItem(help, "&Operating guide", MenuOperatingGuide, -1, nullptr);
    dialog::addMenuItem(bar, "&Help", 0, -1, nullptr, true, help);

    addAidMenus(w, bar, file, input, 3);
    // The sound devices come last in the input menu: the list is rebuilt
    // there whenever the sound server's devices change.
    addInputDeviceMenu(input);
    dialog::attachMenu(w, bar);
    addAidShortcuts(w);
    markAutoPictureItems(w);
}

}  // namespace

HWND buildViewerWindow() {
    HWND w = dialog::createDialog(Caption, -1, -1, 250, 320,
                                  WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                      WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                                  0);
    addLabel(w, -1, "Frame rate", 140, 175, 30, 30, SS_CENTER);
    addFrameBox(w, 23, 12, 76, 85);
    addFrameBox(w, 25, 14, 72, 81);
    addFrameBox(w, 27, 16, 68, 77);
    addButton(w, ControlKind::PushButton, FramePicture, "&Frame picture", 30, 135, 65, 14,
              BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, onFramePicture);
    addBar(w, FrameRateBar, 150);
    addBar(w, SlantBar, 126);
    addLabel(w, -1, "Slant\r\nadjust", 115, 175, 30, 17, SS_CENTER);
    addBar(w, BrightnessBar, 175);
    addLabel(w, -1, "Bright\r\nness", 170, 175, 20, 15, SS_CENTER);
    addBar(w, ContrastBar, 200);
    addLabel(w, -1, "Contrast", 192, 175, 26, 15, SS_LEFT);
    addBar(w, SyncLevelBar, 225);
    addLabel(w, -1, "Sync\r\nlevel", 222, 175, 30, 17, SS_LEFT);
    addButton(w, ControlKind::PushButton, AdjustInput, "&Adjust input", 30, 155, 65, 14,
              BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, onAdjustInput);
    addButton(w, ControlKind::CheckBox, InvertPicture, "&Invert picture", 30, 100, 70, 14,
              BS_AUTOCHECKBOX | WS_TABSTOP, onInvertPicture);
    addButton(w, ControlKind::CheckBox, SyncOn, "&Sync on", 30, 115, 40, 14,
              BS_AUTOCHECKBOX | WS_TABSTOP, onSyncOn);
    addReadout(w, FrameRateReadout, 145, 10, 20, 10);
    addReadout(w, BrightnessReadout, 173, 10, 15, 10);
    addReadout(w, ContrastReadout, 198, 10, 15, 10);
    addReadout(w, SlantReadout, 125, 10, 15, 10);
    addReadout(w, SyncLevelReadout, 223, 10, 15, 10);
    addReadout(w, PictureLevelReadout, 30, 175, 24, 10);
    addLabel(w, -1, "Picture level", 55, 176, 40, 15, SS_CENTER);
    addButton(w, ControlKind::RadioButton, LowPass800, "&800Hz", 30, 200, 65, 14,
              BS_AUTORADIOBUTTON | WS_GROUP, onLowPass800);
    addButton(w, ControlKind::RadioButton, LowPass1200, "1&200Hz", 30, 214, 65, 14,
              BS_AUTORADIOBUTTON | WS_TABSTOP, onLowPass1200);
    addButton(w, ControlKind::RadioButton, LowPass1500, "1&500Hz", 30, 228, 65, 14,
              BS_AUTORADIOBUTTON | WS_TABSTOP, onLowPass1500);
    dialog::addControl(w, ControlKind::GroupBox, -1, "Low Pass Filter", 28, 191, 70, 54,
                       WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, nullptr);
    addButton(w, ControlKind::RadioButton, AmDemodulator, "AM demodulator", 130, 205, 65, 14,
              BS_AUTORADIOBUTTON | WS_GROUP, onAmDemodulator);
    addButton(w, ControlKind::RadioButton, FmDemodulator, "FM demodulator", 130, 219, 65, 14,
              BS_AUTORADIOBUTTON | WS_TABSTOP, onFmDemodulator);
    dialog::addControl(w, ControlKind::GroupBox, -1, "Demodulation", 128, 196, 70, 40,
                       WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, nullptr);
    addMenus(w);
    return w;
}

void setReceiverStartValues() {
    ReceiverSettings& s = viewer.settings;
    s.sampleRate = StartSampleRate;
    s.bufferTurn = 1;
    s.frameSamples = FrameSamplesRange.max;  // the capture buffers' prepared length
    s.polarity = 1;
    s.syncOn = -1;
    s.framePicture = 1;
    s.restarting = 0;
    s.lowPassCutoff = StartLowPassCutoff;
    s.demodMode = StartDemodMode;
}

int runViewer() {
    platform::setSoundApplicationName("NBTV Viewer");
    viewer.window = buildViewerWindow();
    setReceiverStartValues();
    dialog::showModal(viewer.window, viewerEvent, nullptr);
    return quitExitCode();
}
