#pragma once
// The station's items in the window's context menu, above the sound
// cards: "Transmit" (F12), the source, the region chosen on the screen, the
// callsign and identification, and push-to-talk.
#include "core/WindowTypes.h"

void addStationMenu(win::HWND window);
// Sets the check marks from the choices in force.
void showStationChecks(win::HWND window);
// Carries out a station item; false for an id that is not one.
bool stationCommand(win::HWND window, int id);
