#include "viewer/PictureDisplay.h"

#include "dialog/DialogLayer.h"
#include "dialog/ToolWindows.h"
#include "viewer/Viewer.h"

using namespace rx;

void showPicture(win::HWND window, const PictureStore& store, const float* videoSignal) {
    // The store's rows run bottom-up in memory, as the drawing call expects.
    dialog::drawPicture(window, PictureLeft, PictureTop, PictureWidth, ShownRows,
                        store.bytes.data(), PictureWidth, ShownRows, dialog::PixelFormat::Bgr24);
    dialog::setControlText(window, viewer_id::PictureLevelReadout,
                           dialog::numberText(pictureLevel(videoSignal)));
}

void showPictureNote(win::HWND window, const std::string& note) {
    dialog::setPictureNote(window, PictureLeft, PictureTop, note);
}

void showNoSoundInput(win::HWND window) {
    dialog::drawPictureText(window, PictureLeft, PictureTop, PictureWidth, ShownRows, "No sound input");
}
