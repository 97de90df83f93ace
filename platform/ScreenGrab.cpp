#include "platform/ScreenGrab.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include "dialog/DialogLayer.h"
#include "platform/Rgb555.h"

namespace platform {

namespace {

// No desktop reaches this far; regions beyond it are off every screen, and
// keeping to it keeps the rectangle arithmetic in range.
constexpr int FarthestCoordinate = 1 << 24;

// False when a screen under the region gave no picture.
bool grabRegion(const QRect& region, ScreenPicture& picture) {
    if (qGuiApp == nullptr) return false;
    bool grabbed = true;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect screenArea = screen->geometry();
        const QRect part = region & screenArea;
        if (part.isEmpty()) continue;
        // The screen grabs in its own coordinates.
        const QRect local = part.translated(-screenArea.topLeft());
        QImage image =
            screen->grabWindow(0, local.x(), local.y(), local.width(), local.height()).toImage();
        if (image.isNull()) {
            grabbed = false;
            continue;
        }
        // On a scaled screen the grab comes in device pixels.
        if (image.size() != part.size())
            image = image.scaled(part.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        copyImageToPicture(image, part.x() - region.x(), part.y() - region.y(), picture);
    }
    return grabbed;
}

bool regionInRange(int regionX, int regionY) {
    return regionX > -FarthestCoordinate && regionX < FarthestCoordinate &&
           regionY > -FarthestCoordinate && regionY < FarthestCoordinate;
}

}  // namespace

bool grabDesktopRegion(int regionX, int regionY, ScreenPicture& picture) {
    if (!regionInRange(regionX, regionY)) return qGuiApp != nullptr;
    return grabRegion(QRect(regionX, regionY, PictureColumns, PictureRows), picture);
}

ScreenPicture captureScreenRegion(win::HWND window, int regionX, int regionY) {
    ScreenPicture picture;
    grabDesktopRegion(regionX, regionY, picture);
    if (window != nullptr)
        dialog::drawPicture(window, 15, 15, PictureColumns, 95, picture.words.data(),
                            PictureColumns, PictureRows, dialog::PixelFormat::Rgb555);
    return picture;
}

}  // namespace platform
