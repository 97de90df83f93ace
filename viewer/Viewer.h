#pragma once
// The receiver program: its settings record, its window and its one event
// handler, with the control handlers and commands that change the settings.
#include "core/WindowTypes.h"
#include "dialog/DialogLayer.h"
#include "viewer/ReceiverValues.h"

// The one settings record of the receiver, alive for the whole run.
extern rx::ReceiverSettings receiverSettings;
// The receiver's main window.
extern win::HWND viewerWindow;

// Control, menu and readout ids.
namespace viewer_id {
constexpr int FramePicture = 103, AdjustInput = 113;
constexpr int InvertPicture = 1000, SyncOn = 1100;
constexpr int FrameRateBar = 1010, SlantBar = 200, BrightnessBar = 1020, ContrastBar = 1030,
              SyncLevelBar = 1060;
constexpr int FrameRateReadout = 102, BrightnessReadout = 1021, ContrastReadout = 1031,
              SlantReadout = 1051, SyncLevelReadout = 1061, PictureLevelReadout = 100;
constexpr int LowPass800 = 300, LowPass1200 = 301, LowPass1500 = 302;
constexpr int AmDemodulator = 400, FmDemodulator = 401;
constexpr int MenuExit = 402, MenuIncreaseRate = 403, MenuDecreaseRate = 404, MenuRate312 = 405,
              MenuRate260 = 406, MenuRate234 = 407, MenuRate208 = 408, MenuHelp = 409,
              MenuAbout = 410, MenuAdjustInput = 411;
// The Input menu's sound cards: "Default", then one item per capture source.
constexpr int InputDeviceDefault = 2200, InputDeviceFirst = 2201, InputDeviceLast = 2299;
}  // namespace viewer_id

// Builds the window hidden, with every control and the menu bar.
win::HWND buildViewerWindow();
// Start values of the settings, set after the window is built.
void setReceiverStartValues();
// The whole program: build, start values, modal show. Returns the exit code.
int runViewer();

// The receiver's event handler.
win::LRESULT viewerEvent(win::HWND window, win::UINT message, win::WPARAM wParam,
                         win::LPARAM lParam);
// Runs when the window opens and after every sample-rate command.
void initialise(win::HWND window);

// Control handlers.
win::LRESULT onInvertPicture(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onSyncOn(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onAdjustInput(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLowPass800(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLowPass1200(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLowPass1500(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onAmDemodulator(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onFmDemodulator(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onFramePicture(win::HWND, win::UINT, win::WPARAM, win::LPARAM);

// Scroll-bar events and menu commands.
void scrollBarAction(win::HWND window, win::WPARAM wParam, win::LPARAM lParam);
void menuCommand(win::HWND window, int id);
// Readouts 102, 1051, 1021, 1031 and 1061 from the settings.
void refreshReadouts(win::HWND window);
// Sets a bar's range and position from a setting.
void setBar(win::HWND window, int barId, rx::BarRange range, int position);

// Sound capture: the preamble run before every event, open, start, a
// filled buffer, and stop.
void capturePreamble();
void openCapture(win::HWND window);
void startCapture();
void captureBufferDone(win::HWND window, win::LPARAM header);
void stopCapture();
void freeCaptureBuffers();

// The choice of sound card in the Input menu: built once with the menu,
// rebuilt from the sound server's list, and a chosen item.
void addInputDeviceMenu(dialog::HMENU inputMenu);
void refreshInputDevices(win::HWND window);
void chooseInputDevice(win::HWND window, int id);
