#include "transmitter/FrameBuild.h"

#include <string>

#include "platform/ScreenCapture.h"
#include "transmitter/Preview.h"
#include "transmitter/TransmitterState.h"

using namespace tx;

namespace {

// What the preview says over the picture when it does not show the screen
// or the sound does not go out: a black picture sent as if all were well
// would hide the fault.
std::string previewNote(platform::ScreenAccess access) {
    std::string note;
    if (access == platform::ScreenAccess::None) note = "No screen access";
    if (access == platform::ScreenAccess::Asking) note = "Waiting for screen access";
    if (!transmitter.output.open) note += (note.empty() ? "" : "\n") + std::string("No sound output");
    return note;
}

}  // namespace

void buildFrame(FrameBuffer& buffer) {
    // Without access to the screen the frame is built from black.
    ScreenPicture picture;
    const platform::ScreenAccess access =
        platform::grabScreenRegion(transmitter.settings.regionX, transmitter.settings.regionY, picture);
    showPreview(transmitter.window, picture);
    showPreviewNote(transmitter.window, previewNote(access));
    synthesizeFrame(picture, transmitter.settings, buffer);
}
