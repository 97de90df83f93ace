// The window-system calls the programs make directly.
#include <QScrollBar>
#include <QTimer>

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

// The timer with that id, made as a child of the window's widget (so that
// it ends with the window), or null.
QTimer* timerOf(Window* window, int id, bool make) {
    if (window == nullptr || window->widget == nullptr) return nullptr;
    const QString name = QStringLiteral("nbtv-timer-%1").arg(id);
    auto* timer = window->widget->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly);
    if (timer != nullptr || !make) return timer;
    timer = new QTimer(window->widget);
    timer->setObjectName(name);
    QObject::connect(timer, &QTimer::timeout, timer, [window, id]() {
        if (window->alive) dialog::route(window, WM_TIMER, static_cast<WPARAM>(id), 0);
    });
    return timer;
}

}  // namespace

void SetTimer(HWND window, int id, int milliseconds) {
    if (QTimer* timer = timerOf(dialog::liveWindow(window), id, true)) timer->start(milliseconds);
}

void KillTimer(HWND window, int id) {
    if (QTimer* timer = timerOf(dialog::liveWindow(window), id, false)) timer->stop();
}

void PostQuitMessage(int exitCode) { quitCode = exitCode; }

int quitExitCode() { return quitCode; }

}  // namespace win
