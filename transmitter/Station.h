#pragma once
// The station's part of the transmitter's start and end.
#include "core/WindowTypes.h"

// After the specified initialisation and before the sound starts: the
// choices in force (the stored ones unless --no-settings, then the command
// line's over them), the region given, push-to-talk, the source and the
// stop signals.
void startStation(win::HWND window);
// At the end, after the sound has stopped: the radio let go once `delayMs`
// have passed (the last samples still on their way out), the source
// closed.
void endStation(int delayMs);
// Puts the region's top-left corner at (x, y): the settings, both bars and
// both value boxes.
void placeRegion(win::HWND window, int x, int y);
