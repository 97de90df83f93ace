#include "platform/TextBand.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "platform/ImageToPicture.h"

namespace platform {

namespace {

constexpr int ColumnsPerLine = 3;    // picture columns a line of the signal carries
constexpr int SamplesPerPoint = 3;   // rows of one point along a line
constexpr int MarginLines = 1;       // lines kept black left and right of the text
constexpr int MarginPoints = 1;      // points kept black above and below it
constexpr int DrawingSize = 64;      // pixel size the letters are drawn at
constexpr double MostWidening = 2.0;  // letters at most twice as wide as drawn
constexpr double Thickening = 0.04;   // added to each side of a stroke, of the size

// The text in white on black, its strokes thickened beyond the bold
// face's: after the scan a stroke must still cover whole lines.
QImage textImage(const QString& text) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(DrawingSize);
    font.setBold(true);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const int thickening = static_cast<int>(DrawingSize * Thickening);
    const QRect bounds = path.boundingRect().toAlignedRect().adjusted(-thickening, -thickening,
                                                                       thickening, thickening);
    QImage image(std::max(1, bounds.width()), std::max(1, bounds.height()), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-bounds.left(), -bounds.top());
    painter.setPen(QPen(Qt::white, 2.0 * thickening, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(path);
    return image;
}

}  // namespace

void drawTextBand(tx::ScreenPicture& picture, const std::string& text, int top, int height) {
    if (height <= 0) return;
    // Drawn as fine as the signal carries it, then enlarged: across, one
    // point a line (a line is three columns wide and carries their mean);
    // along a line, one point for every three samples, about what the
    // receiver's low-pass filter resolves. Strokes then fall on whole lines
    // and come through the receiver whole.
    constexpr int Lines = tx::PictureColumns / ColumnsPerLine;
    const int points = std::max(1, (height + SamplesPerPoint - 1) / SamplesPerPoint);
    QImage band(Lines, points, QImage::Format_RGB32);
    band.fill(Qt::black);
    const QString letters = QString::fromStdString(text).simplified();
    const int roomX = Lines - 2 * MarginLines;
    const int roomY = points - 2 * MarginPoints;
    if (!letters.isEmpty() && roomY > 0 && roomX > 0) {
        const QImage drawn = textImage(letters);
        // Full height; across, as far as the band allows without widening
        // the letters past recognition.
        const double scaleY = static_cast<double>(roomY) / drawn.height();
        const double scaleX = std::min(static_cast<double>(roomX) / drawn.width(),
                                       MostWidening * scaleY * SamplesPerPoint / ColumnsPerLine);
        const int width = std::clamp(static_cast<int>(drawn.width() * scaleX + 0.5), 1, roomX);
        const QImage fitted = drawn.scaled(width, roomY, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&band);
        painter.drawImage((Lines - width) / 2, MarginPoints, fitted);
    }
    const QImage along = band.scaled(Lines, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    copyImageToPicture(along.scaled(tx::PictureColumns, height, Qt::IgnoreAspectRatio, Qt::FastTransformation),
                       0, top, picture);
}

}  // namespace platform
