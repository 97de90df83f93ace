#pragma once
// Menus that change while the program runs: items taken out again, and a
// context menu that pops up on a right-click on the window.
#include <string>

#include "dialog/DialogLayer.h"

namespace dialog {

// Takes the item with that id out of the dialog's menus (menu bar and
// context menu); nothing happens for an unknown id.
void removeMenuItem(HWND dialog, int id);
// Makes the pop-up menu the dialog's context menu: a right-click on the
// window outside its controls shows it, and its items send WM_COMMAND to
// the dialog as menu-bar items do. The dialog's menu read-back and check
// marks reach its items too.
void setContextMenu(HWND dialog, HMENU popup);

}  // namespace dialog
