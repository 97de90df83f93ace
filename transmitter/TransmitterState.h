#pragma once
// The transmitter's program-wide state: its settings record and its one
// window, which receives the preview and the sound device's notices.
#include "dialog/WindowTypes.h"
#include "transmitter/TransmitterSettings.h"

extern TransmitterSettings transmitterSettings;
extern win::HWND transmitterWindow;
