// Choosing the region on a full-screen picture of the screen. A picture of
// the screen rather than a see-through window: it looks the same with or
// without a compositor, and on Wayland it shows the monitor the desktop
// shares (which may not be the one the window opens on).
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "dialog/RegionOverlay.h"
#include "dialog/StationQuestions.h"

namespace dialog {

namespace {

RegionHook regionHook = nullptr;

class RegionOverlay : public QWidget {
public:
    RegionOverlay(const core::ScreenImage& screen, int width, int height)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), frame_(width, height) {
        setObjectName(RegionOverlayName);
        setWindowTitle(QStringLiteral("Choose region"));
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
        image_ = QImage(reinterpret_cast<const uchar*>(screen.pixels.data()), screen.width, screen.height,
                        screen.width * 4, QImage::Format_ARGB32)
                     .copy();
        origin_ = QPoint(screen.left, screen.top);
        corner_ = QPoint((screen.width - width) / 2, (screen.height - height) / 2);
    }

    int run(QPoint& corner) {
        QScreen* where = QGuiApplication::screenAt(QCursor::pos());
        if (where == nullptr) where = QGuiApplication::primaryScreen();
        if (where != nullptr) setGeometry(where->geometry());
        showFullScreen();
        activateWindow();
        setFocus();
        const int chosen = loop_.exec();
        corner = origin_ + corner_;
        return chosen;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        const QRectF shown = shownArea();
        painter.drawImage(shown, image_);
        // Everything but the frame dimmed, the frame outlined.
        const QRectF frame = toWidget(QRectF(corner_, frame_));
        QPainterPath outside;
        outside.addRect(rect());
        QPainterPath inside;
        inside.addRect(frame);
        painter.fillPath(outside.subtracted(inside), QColor(0, 0, 0, 140));
        painter.setPen(QPen(QColor(255, 220, 0), 2));
        painter.drawRect(frame.adjusted(-1, -1, 1, 1));
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(0, 12, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("Click to place the region; Esc cancels"));
    }
    void mouseMoveEvent(QMouseEvent* event) override { follow(event->position()); }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            follow(event->position());
            finish(1);
        } else {
            finish(0);
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) finish(0);
    }
    void closeEvent(QCloseEvent*) override { finish(0); }

private:
    double scale() const {
        if (image_.isNull()) return 1;
        return std::min(static_cast<double>(width()) / image_.width(),
                        static_cast<double>(height()) / image_.height());
    }
    QRectF shownArea() const {
        const double s = scale();
        const QSizeF size(image_.width() * s, image_.height() * s);
        return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    }
    QRectF toWidget(const QRectF& area) const {
        const double s = scale();
        const QPointF at = shownArea().topLeft();
        return QRectF(at + area.topLeft() * s, area.size() * s);
    }
    // The frame centred on the pointer, kept on the picture.
    void follow(QPointF pointer) {
        const double s = scale();
        const QPointF inImage = (pointer - shownArea().topLeft()) / s;
        const int x = static_cast<int>(inImage.x()) - frame_.width() / 2;
        const int y = static_cast<int>(inImage.y()) - frame_.height() / 2;
        corner_ = QPoint(std::clamp(x, 0, std::max(0, image_.width() - frame_.width())),
                         std::clamp(y, 0, std::max(0, image_.height() - frame_.height())));
        update();
    }
    void finish(int chosen) {
        if (!loop_.isRunning()) return;
        hide();
        loop_.exit(chosen);
    }

    QImage image_;
    QSize frame_;
    QPoint origin_;
    QPoint corner_;  // the frame's top-left corner, in picture pixels
    QEventLoop loop_;
};

}  // namespace

void setRegionHook(RegionHook hook) { regionHook = hook; }

bool chooseRegion(const core::ScreenImage& screen, int width, int height, int& x, int& y) {
    if (regionHook != nullptr) return regionHook(screen, x, y);
    if (screen.width <= 0 || screen.height <= 0 ||
        screen.pixels.size() < static_cast<std::size_t>(screen.width) * screen.height)
        return false;
    RegionOverlay overlay(screen, width, height);
    QPoint corner;
    if (overlay.run(corner) != 1) return false;
    x = corner.x();
    y = corner.y();
    return true;
}

}  // namespace dialog
