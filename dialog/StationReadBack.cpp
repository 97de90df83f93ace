#include "dialog/StationReadBack.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "dialog/RegionOverlay.h"

namespace dialog {

namespace {

QWidget* openOverlay() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->objectName() == RegionOverlayName) return widget;
    return nullptr;
}

}  // namespace

bool regionOverlaySize(int& width, int& height) {
    QWidget* overlay = openOverlay();
    if (overlay == nullptr) return false;
    width = overlay->width();
    height = overlay->height();
    return true;
}

bool clickRegionOverlay(int x, int y, bool leftButton) {
    QWidget* overlay = openOverlay();
    if (overlay == nullptr) return false;
    const QPointF at(x, y);
    const QPointF global = overlay->mapToGlobal(at);
    QMouseEvent move(QEvent::MouseMove, at, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(overlay, &move);
    const Qt::MouseButton button = leftButton ? Qt::LeftButton : Qt::RightButton;
    QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(overlay, &press);
    return true;
}

}  // namespace dialog
