#pragma once
// The bars and readouts shown from the settings.
#include "core/WindowTypes.h"
#include "viewer/ReceiverValues.h"

// Readouts 102, 1051, 1021, 1031 and 1061 from the settings.
void refreshReadouts(win::HWND window);
// Readout 102: samples per second over samples per frame.
void showFrameRate(win::HWND window);
// Sets a bar's range and position from a setting.
void setBar(win::HWND window, int barId, rx::BarRange range, int position);
