#include "transmitter/FrameBuild.h"

#include <string>

#include "transmitter/Identification.h"
#include "transmitter/PictureSource.h"
#include "transmitter/Preview.h"
#include "transmitter/TransmitterState.h"

using namespace tx;

namespace {

// What the preview says over the picture when it does not show the source
// or the sound does not go out: a black picture sent as if all were well
// would hide the fault. One line for each.
std::string previewNote(const std::string& sourceNote) {
    std::string note = sourceNote;
    auto add = [&note](const std::string& line) {
        if (!line.empty()) note += (note.empty() ? "" : "\n") + line;
    };
    if (!transmitter.output.open) add("No sound output");
    add(transmitter.sending.note);
    if (!transmitter.sending.wanted) add("Not sending");
    return note;
}

// Without a picture from the source the frame is built from black.
void takePicture(ScreenPicture& picture, bool onAir) {
    const std::string sourceNote = sourcePicture(picture, onAir);
    markIdentification(picture, onAir);
    showPreview(transmitter.window, picture);
    showPreviewNote(transmitter.window, previewNote(sourceNote));
}

}  // namespace

void buildFrame(FrameBuffer& buffer) {
    ScreenPicture picture;
    takePicture(picture, true);
    synthesizeFrame(picture, transmitter.settings, buffer);
}

void showStillPicture() {
    ScreenPicture picture;
    takePicture(picture, false);
}
