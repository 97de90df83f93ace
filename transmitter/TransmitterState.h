#pragma once
// Everything the transmitter keeps between events, in one record alive for
// the whole run: the settings, the window, the sound output and the device
// menu; and the station's additions: its choices (the command line as
// given, and what is in force), the picture source, identification and
// sending. Only the transmitter's own files reach it.
#include "core/WindowTypes.h"
#include "dialog/DeviceMenu.h"
#include "transmitter/Identification.h"
#include "transmitter/PictureSource.h"
#include "transmitter/Playback.h"
#include "transmitter/Sending.h"
#include "transmitter/StationChoices.h"
#include "transmitter/Transmitter.h"
#include "transmitter/TransmitterSettings.h"

struct TransmitterState {
    tx::TransmitterSettings settings;
    // The transmitter's window; the preview is painted into it and it
    // receives the sound device's notifications.
    win::HWND window = nullptr;
    SoundOutput output;
    dialog::DeviceMenu outputDevices{nullptr, transmitter_id::OutputDeviceDefault,
                                     transmitter_id::OutputDeviceFirst,
                                     transmitter_id::OutputDeviceLast, {}};
    StationCommandLine commandLine;
    StationChoices station;
    SourceState source;
    IdentificationState identification;
    SendingState sending;
};

// The one record of the transmitter.
extern TransmitterState transmitter;
