#include "platform/TextBand.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/ImageToPicture.h"

namespace platform {

namespace {

constexpr int Margin = 2;            // pixels kept black around the text
constexpr int DrawingSize = 64;      // pixel size the letters are drawn at
constexpr double MostWidening = 2.0;  // letters at most twice as wide as drawn

QImage textImage(const QString& text) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(DrawingSize);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const QRect bounds = metrics.tightBoundingRect(text);
    QImage image(std::max(1, bounds.width()), std::max(1, bounds.height()), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(-bounds.left(), -bounds.top(), text);
    return image;
}

}  // namespace

void drawTextBand(tx::ScreenPicture& picture, const std::string& text, int top, int height) {
    if (height <= 0) return;
    QImage band(tx::PictureColumns, height, QImage::Format_RGB32);
    band.fill(Qt::black);
    const QString letters = QString::fromStdString(text).simplified();
    const int roomX = tx::PictureColumns - 2 * Margin;
    const int roomY = height - 2 * Margin;
    if (!letters.isEmpty() && roomY > 0) {
        const QImage drawn = textImage(letters);
        // Full height; across, as far as the band allows without widening
        // the letters past recognition.
        const double scaleY = static_cast<double>(roomY) / drawn.height();
        const double scaleX = std::min(static_cast<double>(roomX) / drawn.width(), MostWidening * scaleY);
        const int width = std::clamp(static_cast<int>(drawn.width() * scaleX + 0.5), 1, roomX);
        const QImage fitted = drawn.scaled(width, roomY, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&band);
        painter.drawImage((tx::PictureColumns - width) / 2, Margin, fitted);
    }
    copyImageToPicture(band, 0, top, picture);
}

}  // namespace platform
