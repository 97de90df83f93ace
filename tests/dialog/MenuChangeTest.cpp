// Menus that change while the window is open: items taken out and put back,
// and a context menu, whose items reach the dialog as menu-bar items do.
#include <gtest/gtest.h>

#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogMenus.h"
#include "dialog/DialogReadBack.h"
#include "dialog/MenuReadBack.h"
#include "tests/common/ModalRun.h"

using namespace win;
using dialog::ControlKind;

namespace {

std::vector<int> commands;
HWND removeOnCommand = nullptr;  // the item commanded takes itself out

LRESULT recordCommands(HWND w, UINT m, WPARAM wParam, LPARAM) {
    if (m != WM_COMMAND) return 0;
    commands.push_back(LOWORD(wParam));
    if (removeOnCommand != nullptr) dialog::removeMenuItem(w, LOWORD(wParam));
    return 0;
}

}  // namespace

TEST(MenuChange, ContextMenuItemsReachTheDialogOnlyOutsideTheControls) {
    commands.clear();
    HWND w = dialog::createDialog("Test", -1, -1, 100, 80, WS_SYSMENU, 0);
    dialog::addControl(w, ControlKind::PushButton, 10, "&Go", 5, 5, 40, 14, 0, 0, nullptr);
    EXPECT_FALSE(dialog::contextMenuAt(w, 100, 90));  // no context menu yet
    dialog::HMENU menu = dialog::newMenu(false);
    dialog::addMenuItem(menu, "Default", 2300, -1, nullptr);
    dialog::addMenuItem(menu, "Radio && more", 2301, -1, nullptr);
    dialog::setContextMenu(w, menu);
    runShown(w, recordCommands, [w]() {
        EXPECT_TRUE(dialog::contextMenuAt(w, 100, 90));
        EXPECT_FALSE(dialog::contextMenuAt(w, 10, 10));  // on the button
        dialog::triggerMenuItem(w, 2301);
        EXPECT_EQ(commands, std::vector<int>{2301});
        EXPECT_EQ(dialog::menuItemText(w, 2301), "Radio && more");
        dialog::checkMenuItem(w, 2300, true);
        EXPECT_TRUE(dialog::menuItemChecked(w, 2300));
        EXPECT_FALSE(dialog::menuItemChecked(w, 2301));
    });
}

TEST(MenuChange, RemovedItemsAreGoneAndTheirIdsCanComeBack) {
    commands.clear();
    HWND w = dialog::createDialog("Test", -1, -1, 100, 80, WS_SYSMENU, 0);
    dialog::HMENU bar = dialog::newMenu(true);
    dialog::HMENU input = dialog::newMenu(false);
    for (int id : {2200, 2201, 2202}) dialog::addMenuItem(input, "Item", id, -1, nullptr);
    dialog::addMenuItem(bar, "I&nput", 0, -1, nullptr, true, input);
    dialog::attachMenu(w, bar);
    runShown(w, recordCommands, [w, input]() {
        dialog::checkMenuItem(w, 2201, true);
        dialog::removeMenuItem(w, 2201);
        dialog::removeMenuItem(w, 4242);  // unknown: nothing happens
        EXPECT_EQ(dialog::menuItemText(w, 2201), "");
        EXPECT_FALSE(dialog::menuItemChecked(w, 2201));
        dialog::sendMenuCommand(w, 2200);
        EXPECT_EQ(commands, std::vector<int>{2200});

        dialog::addMenuItem(input, "Back", 2201, -1, nullptr);
        EXPECT_EQ(dialog::menuItemText(w, 2201), "Back");
        EXPECT_FALSE(dialog::menuItemChecked(w, 2201));

        // An item may take itself out while its own command is handled.
        removeOnCommand = w;
        dialog::triggerMenuItem(w, 2202);
        removeOnCommand = nullptr;
        dialog::processPendingEvents();
        EXPECT_EQ(commands.back(), 2202);
        EXPECT_EQ(dialog::menuItemText(w, 2202), "");
    });
}
