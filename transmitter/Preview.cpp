#include "transmitter/Preview.h"

#include "dialog/DialogLayer.h"

namespace {
constexpr int PreviewLeft = 15, PreviewTop = 15, PreviewHeight = 95;  // client pixels
}  // namespace

void showPreview(win::HWND window, const tx::ScreenPicture& picture) {
    if (window == nullptr) return;
    dialog::drawPicture(window, PreviewLeft, PreviewTop, tx::PictureColumns, PreviewHeight,
                        picture.words.data(), tx::PictureColumns, tx::PictureRows,
                        dialog::PixelFormat::Rgb555);
}

void showPreviewNote(win::HWND window, const std::string& note) {
    if (window == nullptr) return;
    dialog::setPictureNote(window, PreviewLeft, PreviewTop, note);
}
