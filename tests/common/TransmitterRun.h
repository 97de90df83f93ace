#pragma once
// Runs test steps while the transmitter's window is shown, from a fresh
// state, as the program starts it.
#include <functional>

#include "tests/common/ModalRun.h"
#include "transmitter/EventHandler.h"
#include "transmitter/Transmitter.h"
#include "transmitter/TransmitterState.h"
#include "transmitter/Window.h"

inline void withTransmitter(const std::function<void(win::HWND)>& steps) {
    transmitter = TransmitterState{};
    transmitter.window = buildTransmitterWindow();
    win::HWND w = transmitter.window;
    runShown(w, transmitterEvent, [w, steps]() { steps(w); });
}
