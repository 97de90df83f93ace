#pragma once
// Builds the receiver's window as the program does and runs test steps while
// it is shown; message boxes are answered at once and remembered.
#include <functional>
#include <string>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "tests/common/ModalRun.h"
#include "viewer/Viewer.h"
#include "viewer/Commands.h"
#include "viewer/EventHandler.h"
#include "viewer/PictureDisplay.h"
#include "viewer/ViewerState.h"
#include "viewer/Window.h"

using namespace rx;

struct ShownBox {
    std::string text;
    std::string caption;
    win::UINT style;
};
inline std::vector<ShownBox> shownBoxes;

inline int rememberBox(const std::string& text, const std::string& caption, win::UINT style) {
    shownBoxes.push_back({text, caption, style});
    return win::IDOK;
}

inline void withViewer(const std::function<void(win::HWND)>& steps) {
    shownBoxes.clear();
    dialog::setMessageBoxHook(rememberBox);
    viewer = ViewerState{};
    viewer.window = buildViewerWindow();
    setReceiverStartValues();
    win::HWND w = viewer.window;
    runShown(w, viewerEvent, [w, steps]() { steps(w); });
    dialog::setMessageBoxHook(nullptr);
}

// Sends a menu command that shows the window again (a sample-rate command)
// and runs `then` inside the nested show; the window is closed after it.
inline void commandThen(win::HWND w, int id, std::function<void()> then) {
    QTimer::singleShot(0, [w, then]() {
        then();
        if (dialog::windowExists(w)) dialog::endDialog(w, 0);
    });
    dialog::sendMenuCommand(w, id);
}

inline std::string readout(win::HWND w, int id) { return dialog::controlText(w, id); }
