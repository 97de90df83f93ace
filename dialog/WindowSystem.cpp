// The window-system calls the programs make directly.
#include <QScrollBar>

#include "dialog/WindowRecord.h"
#include "dialog/WindowSystem.h"

namespace win {

HWND GetDlgItem(HWND dialog, int id) { return dialog::controlOf(dialog, id); }

// Scroll bars are always controls here, and the toolkit redraws by itself.
int SetScrollRange(HWND barHandle, int, int minPos, int maxPos, bool) {
    QScrollBar* bar = dialog::scrollBarOf(dialog::liveWindow(barHandle));
    if (bar == nullptr) return 0;
    bar->setRange(minPos, maxPos);
    return 1;
}

int SetScrollPos(HWND barHandle, int, int pos, bool) {
    QScrollBar* bar = dialog::scrollBarOf(dialog::liveWindow(barHandle));
    if (bar == nullptr) return 0;
    const int previous = bar->value();
    bar->setValue(pos);  // held inside the range, as the thumb is
    bar->setSliderPosition(bar->value());
    return previous;
}

LRESULT GetWindowLongA(HWND window, int index) {
    Window* record = dialog::liveWindow(window);
    if (record == nullptr || index != GWL_ID) return 0;
    return record->id;
}

namespace {
int quitCode = 0;
}

void PostQuitMessage(int exitCode) { quitCode = exitCode; }

int quitExitCode() { return quitCode; }

}  // namespace win
