#include "viewer/PictureDisplay.h"

#include "dialog/DialogLayer.h"

void showPicture(win::HWND window, const PictureStore& store, const float* videoSignal) {
    dialog::drawPicture(window, PictureLeft, PictureTop, PictureWidth, ShownRows,
                        store.bytes.data(), PictureWidth, ShownRows, dialog::PixelFormat::Bgr24);
    dialog::setControlText(window, PictureLevelReadout,
                           dialog::numberText(pictureLevel(videoSignal)));
}
