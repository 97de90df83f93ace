// The large picture: the received picture scaled smoothly to its window.
#include <QPainter>

#include "dialog/ToolWindow.h"
#include "dialog/ToolWindows.h"

namespace dialog {

namespace {

class LargePictureView : public ToolWindow {
public:
    using ToolWindow::ToolWindow;
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (picture.isNull()) return;
        const QSize fitted = picture.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                           fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, picture);
    }
};

ToolWindow* window = nullptr;

}  // namespace

void openLargePicture(HWND owner, int closedId) {
    openOrRaise(window, [&] {
        return new LargePictureView(liveWindow(owner), closedId, QStringLiteral("Large picture"),
                                    QSize(288, 360), [] { window = nullptr; });
    });
}

void closeLargePicture() { dismiss(window); }

bool largePictureOpen() { return window != nullptr; }

void showLargePicture(const void* bgrBottomUp, int width, int height) {
    auto* view = static_cast<LargePictureView*>(window);
    if (view == nullptr || bgrBottomUp == nullptr || width <= 0 || height <= 0) return;
    if (view->picture.size() != QSize(width, height))
        view->picture = QImage(width, height, QImage::Format_RGB888);
    const auto* bytes = static_cast<const unsigned char*>(bgrBottomUp);
    for (int row = 0; row < height; ++row) {
        const unsigned char* source = bytes + static_cast<std::size_t>(row) * width * 3;
        unsigned char* line = view->picture.scanLine(height - 1 - row);
        for (int x = 0; x < width; ++x) {
            line[x * 3] = source[x * 3 + 2];
            line[x * 3 + 1] = source[x * 3 + 1];
            line[x * 3 + 2] = source[x * 3];
        }
    }
    view->update();
}

}  // namespace dialog
