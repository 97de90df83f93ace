#include "transmitter/Transmitter.h"

TransmitterSettings transmitterSettings;
win::HWND transmitterWindow = nullptr;
