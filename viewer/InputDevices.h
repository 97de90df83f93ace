#pragma once
// The choice of the radio's sound card at the end of the Input menu.
#include "core/WindowTypes.h"
#include "dialog/DialogLayer.h"

// Built once with the menu, rebuilt from the sound server's list, and a
// chosen item.
void addInputDeviceMenu(dialog::HMENU inputMenu);
void refreshInputDevices(win::HWND window);
void chooseInputDevice(win::HWND window, int id);
