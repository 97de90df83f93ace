#include "viewer/PictureDisplay.h"

#include "dialog/DialogLayer.h"

namespace {
constexpr int PictureLeft = 44, PictureTop = 29;  // client pixels
constexpr int PictureLevelReadoutId = 100;
}  // namespace

void showPicture(win::HWND window, const PictureStore& store, const float* videoSignal) {
    // The store's rows run bottom-up in memory, as the drawing call expects.
    dialog::drawPicture(window, PictureLeft, PictureTop, PictureWidth, ShownRows,
                        store.bytes.data(), PictureWidth, ShownRows, dialog::PixelFormat::Bgr24);
    dialog::setControlText(window, PictureLevelReadoutId,
                           dialog::numberText(pictureLevel(videoSignal)));
}
