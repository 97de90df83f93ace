#include "platform/ScreenGrab.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "platform/ImageToPicture.h"

namespace platform {

namespace {

// No desktop reaches this far; regions beyond it are off every screen, and
// keeping to it keeps the rectangle arithmetic in range.
constexpr int FarthestCoordinate = 1 << 24;

// False when a screen under the region gave no picture.
bool grabRegion(const QRect& region, tx::ScreenPicture& picture) {
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

}  // namespace

bool grabDesktopRegion(int regionX, int regionY, tx::ScreenPicture& picture) {
    if (regionX > -FarthestCoordinate && regionX < FarthestCoordinate &&
        regionY > -FarthestCoordinate && regionY < FarthestCoordinate)
        return grabRegion(QRect(regionX, regionY, tx::PictureColumns, tx::PictureRows), picture);
    return qGuiApp != nullptr;  // off every screen: black, as the display gives it
}

bool grabDesktopImage(core::ScreenImage& image) {
    if (qGuiApp == nullptr) return false;
    QRect desktop;
    for (QScreen* screen : QGuiApplication::screens()) desktop |= screen->geometry();
    if (desktop.isEmpty()) return false;
    QImage whole(desktop.size(), QImage::Format_ARGB32);
    whole.fill(Qt::black);
    bool grabbed = false;
    {
        QPainter painter(&whole);
        for (QScreen* screen : QGuiApplication::screens()) {
            const QRect area = screen->geometry();
            const QImage shot = screen->grabWindow(0).toImage();
            if (shot.isNull()) continue;
            // A scaled screen grabs in device pixels: drawn at its place in
            // the desktop's own coordinates.
            painter.drawImage(QRect(area.topLeft() - desktop.topLeft(), area.size()), shot);
            grabbed = true;
        }
    }
    if (!grabbed) return false;
    image.left = desktop.x();
    image.top = desktop.y();
    image.width = desktop.width();
    image.height = desktop.height();
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(whole.constScanLine(y));
        std::copy(line, line + image.width, image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width);
    }
    return true;
}

tx::ScreenPicture captureScreenRegion(int regionX, int regionY) {
    tx::ScreenPicture picture;
    grabDesktopRegion(regionX, regionY, picture);
    return picture;
}

}  // namespace platform
