#pragma once
// The choice of the radio's sound card, in the window's context menu.
#include "core/WindowTypes.h"

// Built with the window, rebuilt from the sound server's list, and a chosen
// item (other commands are ignored).
void addOutputDeviceMenu(win::HWND window);
void refreshOutputDevices(win::HWND window);
void outputDeviceCommand(win::HWND window, int id);
