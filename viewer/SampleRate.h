#pragma once
// The sample-rate commands: one step up or down and the presets. Each stops
// capture and shows the window again, so that initialisation reopens
// capture at the new rate.
#include "core/WindowTypes.h"

// Carries out a sample-rate command, showing the window again with the
// program's event handler; false for any other id.
bool sampleRateCommand(win::HWND window, int id, win::EventHandler handler);
