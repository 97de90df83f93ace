#pragma once
// Runs test steps inside a dialog's modal show, as a user would act while
// the window is open, then closes the window if the steps left it open.
#include <QTimer>
#include <functional>

#include "dialog/DialogLayer.h"

inline void runShown(win::HWND dialog, win::EventHandler handler, std::function<void()> steps,
                     win::LRESULT* result = nullptr) {
    QTimer::singleShot(0, [dialog, steps]() {
        steps();
        if (dialog::windowExists(dialog)) dialog::endDialog(dialog, 0);
    });
    dialog::showModal(dialog, handler, result);
}
