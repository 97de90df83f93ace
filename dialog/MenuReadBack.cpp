// Read-back of menus for tests: item texts, choosing an item, and where
// the context menu answers.
#include "dialog/MenuReadBack.h"

#include <QAction>

#include "dialog/WindowRecord.h"

namespace dialog {

std::string menuItemText(HWND dialog, int id) {
    const MenuItem* item = menuItemOf(dialog, id);
    return item != nullptr && item->action != nullptr ? item->action->text().toStdString() : "";
}

void triggerMenuItem(HWND dialog, int id) {
    const MenuItem* item = menuItemOf(dialog, id);
    if (item != nullptr && item->action != nullptr) item->action->trigger();
}

bool contextMenuAt(HWND dialogHandle, int x, int y) {
    const win::Window* dialog = liveWindow(dialogHandle);
    return dialog != nullptr && dialog->contextMenu != nullptr && !onControl(dialog, QPoint(x, y));
}

}  // namespace dialog
