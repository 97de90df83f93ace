#pragma once
// The transmitter's one event handler, the region bars' scroll handler and
// the control handlers.
#include "core/WindowTypes.h"

win::LRESULT transmitterEvent(win::HWND window, win::UINT message, win::WPARAM wParam,
                              win::LPARAM lParam);
// The scroll handler of both region bars.
void regionScroll(win::HWND window, win::WPARAM wParam, win::LPARAM lParam);

// Control handlers.
win::LRESULT onAdjustOutput(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLineSync(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
