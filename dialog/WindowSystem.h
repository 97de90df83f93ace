#pragma once
// Stand-ins for the few window-system calls the programs make directly,
// spelled as the platform spells them.
#include "core/WindowTypes.h"

namespace win {

HWND GetDlgItem(HWND dialog, int id);
int SetScrollRange(HWND bar, int kind, int minPos, int maxPos, bool redraw);
int SetScrollPos(HWND bar, int kind, int pos, bool redraw);
LRESULT GetWindowLongA(HWND window, int index);
// Sends the window WM_TIMER (first parameter the timer's id) every
// `milliseconds` until KillTimer; setting a running timer again restarts
// it with the new period. The timers of a window end with it.
void SetTimer(HWND window, int id, int milliseconds);
void KillTimer(HWND window, int id);
void PostQuitMessage(int exitCode);
// The exit code of the last PostQuitMessage (0 when none was posted).
int quitExitCode();

}  // namespace win
