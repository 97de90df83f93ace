#pragma once
// The receiver's one event handler.
#include "core/WindowTypes.h"

win::LRESULT viewerEvent(win::HWND window, win::UINT message, win::WPARAM wParam,
                         win::LPARAM lParam);
// Runs when the window opens and after every sample-rate command.
void initialise(win::HWND window);
