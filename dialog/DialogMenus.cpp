// Removing menu items, and the context menu.
#include "dialog/DialogMenus.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "dialog/WindowRecord.h"

namespace dialog {
namespace {

// The menu holding the item with that id, searched from `menu` down.
Menu* holderOf(Menu* menu, int id) {
    if (menu == nullptr) return nullptr;
    for (const MenuItem& item : menu->items)
        if (item.id == id) return menu;
    for (Menu* popup : menu->popups)
        if (Menu* holder = holderOf(popup, id)) return holder;
    return nullptr;
}

}  // namespace

bool onControl(const win::Window* dialog, const QPoint& point) {
    for (const win::Window* control : dialog->controls) {
        const QWidget* w = control->widget;
        if (w != nullptr && w->isVisible() && !w->testAttribute(Qt::WA_TransparentForMouseEvents) &&
            w->geometry().contains(point))
            return true;
    }
    return false;
}

void removeMenuItem(HWND dialogHandle, int id) {
    win::Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return;
    Menu* holder = holderOf(dialog->menuBar, id);
    if (holder == nullptr) holder = holderOf(dialog->contextMenu, id);
    if (holder == nullptr) return;
    auto item = std::find_if(holder->items.begin(), holder->items.end(),
                             [id](const MenuItem& i) { return i.id == id; });
    QAction* action = item->action;
    holder->items.erase(item);
    if (action != nullptr) {
        if (QWidget* host = qobject_cast<QWidget*>(action->parent())) host->removeAction(action);
        // Later: the item may be the one whose command is being handled.
        action->deleteLater();
    }
}

void setContextMenu(HWND dialogHandle, HMENU popup) {
    win::Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || !dialog->isDialog || popup == nullptr || popup->popup == nullptr) return;
    dialog->contextMenu = popup;
    // Parented to the window, so that its items find their dialog.
    popup->popup->setParent(dialog->widget, popup->popup->windowFlags());
    QWidget* client = dialog->client;
    client->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(client, &QWidget::customContextMenuRequested, client, [dialog, client](QPoint at) {
        if (!dialog->alive || dialog->contextMenu == nullptr || onControl(dialog, at)) return;
        dialog->contextMenu->popup->popup(client->mapToGlobal(at));
    });
}

}  // namespace dialog
