#include "transmitter/FrameBuild.h"

#include <string>

#include "dialog/DialogLayer.h"
#include "platform/ScreenCapture.h"
#include "transmitter/Transmitter.h"

TransmitterSettings transmitterSettings;
win::HWND transmitterWindow = nullptr;

namespace {

// The preview: the picture at (15, 15), squeezed to 96 x 95 pixels. When
// it does not show the screen, or the sound does not go out, a short note
// over it says so: a black picture sent as if all were well would hide the
// fault.
void showPreview(const ScreenPicture& picture, platform::ScreenAccess access) {
    if (transmitterWindow == nullptr) return;
    dialog::drawPicture(transmitterWindow, 15, 15, PictureColumns, 95, picture.words.data(),
                        PictureColumns, PictureRows, dialog::PixelFormat::Rgb555);
    std::string note;
    if (access == platform::ScreenAccess::None) note = "No screen access";
    if (access == platform::ScreenAccess::Asking) note = "Waiting for screen access";
    if (!soundOutputOpen()) note += (note.empty() ? "" : "\n") + std::string("No sound output");
    dialog::setPictureNote(transmitterWindow, 15, 15, note);
}

}  // namespace

void buildFrame(FrameBuffer& buffer) {
    // Without access to the screen the frame is built from black.
    ScreenPicture picture;
    const platform::ScreenAccess access =
        platform::grabScreenRegion(transmitterSettings.regionX, transmitterSettings.regionY, picture);
    showPreview(picture, access);
    synthesizeFrame(picture, transmitterSettings, buffer);
}
