#pragma once
// Ending a program by signal (SIGINT from the terminal's Ctrl+C, SIGTERM
// from the session or `kill`) as if its window were closed, so that it
// cleans up (stops the sound, lets the radio go) instead of dying where it
// stands.
#include "core/WindowTypes.h"

namespace platform {

// Posted to the window when SIGINT or SIGTERM arrives.
constexpr win::UINT WM_STOPSIGNAL = win::WM_USER + 0x2220;

// From now on SIGINT and SIGTERM post WM_STOPSIGNAL to the window (a later
// call names another window). A second signal while the first is being
// handled is taken the same way.
void watchStopSignals(win::HWND window);

}  // namespace platform
