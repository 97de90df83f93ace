#pragma once
// Read-back of menus for tests and tools (dialog_testing).
#include <string>

#include "dialog/DialogLayer.h"

namespace dialog {

// The item's text (empty for an unknown id).
std::string menuItemText(HWND dialog, int id);
// Chooses the item as a click in its menu would (the toolkit's own action).
void triggerMenuItem(HWND dialog, int id);
// Whether a right-click at that point of the client area, in pixels, would
// show the context menu.
bool contextMenuAt(HWND dialog, int x, int y);

}  // namespace dialog
