// The transmitter's window: two scroll bars that move the sent screen
// region, its X and Y, the line-sync check box and the volume button.
#include "transmitter/Window.h"

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "platform/SoundDevices.h"
#include "platform/StoredSettings.h"
#include "transmitter/OutputDevices.h"
#include "transmitter/Playback.h"
#include "transmitter/EventHandler.h"
#include "transmitter/StationMenu.h"
#include "transmitter/Transmitter.h"
#include "transmitter/TransmitterState.h"

using namespace win;
using dialog::ControlKind;
using namespace transmitter_id;

HWND buildTransmitterWindow() {
    // The template keeps the low 16 bits of the default position: the window
    // opens at the top-left corner of the screen.
    HWND w = dialog::createDialog("Orvane Transmit 32 lines/2.60fps", CW_USEDEFAULT, CW_USEDEFAULT,
                                  160, 100, WS_SYSMENU, 0);
    dialog::addControl(w, ControlKind::ScrollBar, ScrollX, "", 9, 69, 65, 8, 0x50010000, 0, nullptr);
    dialog::addControl(w, ControlKind::Label, -1, "X", 90, 20, 30, 17, SS_CENTER, 0, nullptr);
    dialog::addControl(w, ControlKind::Label, ValueX, "", 100, 8, 15, 10, 0x1200, 0, nullptr);
    dialog::addControl(w, ControlKind::ScrollBar, ScrollY, "", 75, 10, 8, 57, 0x50010001, 0, nullptr);
    dialog::addControl(w, ControlKind::Label, -1, "Y", 110, 20, 30, 17, SS_CENTER, 0, nullptr);
    dialog::addControl(w, ControlKind::Label, ValueY, "", 120, 8, 15, 10, 0x1200, 0, nullptr);
    dialog::addControl(w, ControlKind::PushButton, AdjustOutput, "Adjust &output", 95, 64, 50, 14,
                       0x30000, 0, onAdjustOutput);
    dialog::addControl(w, ControlKind::CheckBox, LineSync, "&Line sync on", 95, 44, 72, 14, 0x10000,
                       0, onLineSync);
    addOutputDeviceMenu(w);
    addStationMenu(w);
    return w;
}

int runTransmitter() {
    platform::setSoundApplicationName("NBTV Transmitter");
    platform::setStoredSettingsName("transmitter");
    transmitter.window = buildTransmitterWindow();
    dialog::showModal(transmitter.window, transmitterEvent, nullptr);
    return quitExitCode();
}
