#pragma once
// What the receiver's controls, scroll bars and menu commands do.
#include "core/WindowTypes.h"

// Control handlers.
win::LRESULT onInvertPicture(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onSyncOn(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onAdjustInput(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLowPass800(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLowPass1200(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onLowPass1500(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onAmDemodulator(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onFmDemodulator(win::HWND, win::UINT, win::WPARAM, win::LPARAM);
win::LRESULT onFramePicture(win::HWND, win::UINT, win::WPARAM, win::LPARAM);

// Scroll-bar events, and the menu commands other than the sample-rate ones.
void scrollBarAction(win::HWND window, win::WPARAM wParam, win::LPARAM lParam);
void menuCommand(win::HWND window, int id);
