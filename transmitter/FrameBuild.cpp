#include "transmitter/FrameBuild.h"

#include "platform/ScreenGrab.h"
#include "transmitter/Transmitter.h"

TransmitterSettings transmitterSettings;
win::HWND transmitterWindow = nullptr;

void buildFrame(FrameBuffer& buffer) {
    const ScreenPicture picture = platform::captureScreenRegion(
        transmitterWindow, transmitterSettings.regionX, transmitterSettings.regionY);
    synthesizeFrame(picture, transmitterSettings, buffer);
}
