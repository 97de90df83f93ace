#include "transmitter/FrameBuild.h"

#include "platform/ScreenGrab.h"
#include "transmitter/Preview.h"
#include "transmitter/Transmitter.h"

using namespace tx;

TransmitterSettings transmitterSettings;
win::HWND transmitterWindow = nullptr;

void buildFrame(FrameBuffer& buffer) {
    const ScreenPicture picture =
        platform::captureScreenRegion(transmitterSettings.regionX, transmitterSettings.regionY);
    showPreview(transmitterWindow, picture);
    synthesizeFrame(picture, transmitterSettings, buffer);
}
