// A text in place of a drawn picture, and menu shortcuts.
#include <QAction>
#include <QKeySequence>
#include <QPainter>

#include "dialog/ToolWindows.h"
#include "dialog/WindowRecord.h"

namespace dialog {

namespace {

const QString TextKey = QStringLiteral("nbtv-text");

bool inMenu(const Menu* menu, int id) {
    if (menu == nullptr) return false;
    for (const MenuItem& item : menu->items)
        if (item.id == id) return true;
    for (const Menu* popup : menu->popups)
        if (inMenu(popup, id)) return true;
    return false;
}

}  // namespace

void drawPictureText(HWND dialogHandle, int x, int y, int width, int height, const std::string& text) {
    win::Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || dialog->overlay == nullptr || width <= 0 || height <= 0) return;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(24, 24, 24));
    {
        QPainter painter(&image);
        painter.setPen(QColor(230, 230, 230));
        painter.drawText(image.rect(), Qt::AlignCenter | Qt::TextWordWrap, fromText(text));
    }
    image.setText(TextKey, fromText(text));
    dialog->pictures[{x, y}] = image;
    dialog->overlay->update(QRect(x, y, width, height));
}

std::string pictureTextAt(HWND dialogHandle, int x, int y) {
    win::Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return "";
    const auto found = dialog->pictures.find({x, y});
    return found == dialog->pictures.end() ? "" : found->second.text(TextKey).toStdString();
}

void setMenuShortcut(HWND dialog, int id, const std::string& keys) {
    MenuItem* item = menuItemOf(dialog, id);
    if (item == nullptr || item->action == nullptr) return;
    item->action->setShortcut(QKeySequence(fromText(keys)));
    // A context menu is not on the screen until it pops up: its shortcuts
    // are the window's.
    win::Window* record = liveWindow(dialog);
    if (record != nullptr && record->widget != nullptr && inMenu(record->contextMenu, id) &&
        !record->widget->actions().contains(item->action))
        record->widget->addAction(item->action);
}

}  // namespace dialog
