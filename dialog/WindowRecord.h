#pragma once
// What the dialog layer keeps with each window. Private to dialog/.
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"

class QAction;
class QButtonGroup;
class QEventLoop;
class QMenuBar;
class QMenu;
class QScrollBar;

namespace dialog {

struct MenuItem {
    int id = 0;
    EventHandler handler = nullptr;
    QAction* action = nullptr;  // owned by its menu
};

struct Menu {
    bool isBar = false;
    QMenuBar* bar = nullptr;    // while attached, owned by the dialog
    QMenu* popup = nullptr;     // pop-up menus
    std::vector<MenuItem> items;
    std::vector<Menu*> popups;  // pop-ups hanging from this menu
};

}  // namespace dialog

namespace win {

struct Window {
    bool isDialog = false;
    bool alive = true;
    int id = -1;
    dialog::ControlKind kind = dialog::ControlKind::Label;
    DWORD style = 0;
    DWORD exStyle = 0;
    EventHandler handler = nullptr;  // control handler, or the dialog's event handler
    Window* dialog = nullptr;        // the dialog a control belongs to
    QWidget* widget = nullptr;       // the top-level window, or the control

    // Dialogs only.
    QWidget* client = nullptr;       // the client area that holds the controls
    QWidget* overlay = nullptr;      // draws pictures on top of the controls
    std::vector<Window*> controls;
    dialog::Menu* menuBar = nullptr;
    dialog::Menu* contextMenu = nullptr;  // shown on a right-click outside the controls
    QButtonGroup* radioGroup = nullptr;  // radio buttons of the current WS_GROUP run
    LRESULT* resultAddress = nullptr;
    std::vector<QEventLoop*> loops;  // modal loops running for this dialog
    std::map<std::pair<int, int>, QImage> pictures;  // keyed by client position
    std::map<std::pair<int, int>, QString> notes;    // written over the picture there
};

}  // namespace win

namespace dialog {

// The record behind a live handle, or null for a handle that is gone.
win::Window* liveWindow(HWND window);
// Stands in for the message box while set (dialog/DialogReadBack.h).
extern MessageBoxHook messageBoxHook;
// Routes a message as the dialog procedure does.
LRESULT route(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The menu item with that id anywhere in the dialog's menus (menu bar and
// context menu), or null.
MenuItem* menuItemOf(HWND dialog, int id);
// Whether the point of the client area lies on one of the dialog's controls
// (those that take the mouse).
bool onControl(const win::Window* dialog, const QPoint& point);
// The control record for an id in a dialog, or null.
win::Window* controlOf(HWND dialog, int id);
// The scroll bar behind a control record, or null.
QScrollBar* scrollBarOf(win::Window* control);
// Makes the object that receives posted messages (GUI thread, once).
void prepareMessagePump();
// Text as the toolkit takes it: CR LF line breaks become line feeds.
inline QString fromText(const std::string& text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}
// Dialog units to pixels.
int unitsToPixelsX(int units);
int unitsToPixelsY(int units);

}  // namespace dialog
