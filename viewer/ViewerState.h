#pragma once
// Everything the receiver keeps between events, in one record alive for the
// whole run: the settings, the window, capture and the picture store, the
// automatic picture, the aids and the device menu. Only the receiver's own
// files reach it.
#include "core/WindowTypes.h"
#include "dialog/DeviceMenu.h"
#include "viewer/AutoPicture.h"
#include "viewer/Capture.h"
#include "viewer/PictureSaving.h"
#include "viewer/PictureStore.h"
#include "viewer/ReceiverAids.h"
#include "viewer/ReceiverSettings.h"
#include "viewer/SoundRecording.h"
#include "viewer/Viewer.h"

struct ViewerState {
    rx::ReceiverSettings settings;
    win::HWND window = nullptr;
    CaptureState capture;
    // The picture as the window shows it: the store, or the average of the
    // last framed pictures; null before the first frame.
    const rx::PictureStore* shown = nullptr;
    AutoPictureState autoPicture;
    AidsState aids;
    SavingState saving;
    RecordingState recording;
    dialog::DeviceMenu inputDevices{nullptr, viewer_id::InputDeviceDefault, viewer_id::InputDeviceFirst,
                                    viewer_id::InputDeviceLast, {}};
};

// The one record of the receiver.
extern ViewerState viewer;
