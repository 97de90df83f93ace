#pragma once
// The dialog layer: one window per program, its controls and menus, message
// routing, the modal show, and a few services (number text, message box).
// Program code talks to the window system only through this header and
// WindowSystem.h; neither exposes Qt.
#include <cstdint>
#include <string>

#include "core/NumberText.h"
#include "core/WindowTypes.h"

namespace dialog {

using win::EventHandler;
using win::HWND;
using win::LPARAM;
using win::LRESULT;
using win::UINT;
using win::WPARAM;

enum class ControlKind { PushButton, CheckBox, RadioButton, GroupBox, Label, ScrollBar, TextBox };

struct Menu;  // a menu bar or a pop-up menu
using HMENU = Menu*;

// Starts the toolkit once per process (QApplication). The programs call it
// first thing in main; tests call it with their own arguments.
void startToolkit(int& argc, char** argv);
// Ends the toolkit; called last thing in main.
void stopToolkit();

HWND createDialog(const std::string& caption, int x, int y, int width, int height,
                  win::DWORD style, win::DWORD exStyle);
HWND addControl(HWND dialog, ControlKind kind, int id, const std::string& text, int x, int y,
                int width, int height, win::DWORD style, win::DWORD exStyle,
                EventHandler handler);
HMENU newMenu(bool menuBar);
// For a pop-up entry pass the pop-up menu as `popup` and popupFlag true.
void addMenuItem(HMENU menu, const std::string& text, int id, int position,
                 EventHandler handler, bool popupFlag = false, HMENU popup = nullptr);
// Puts a check mark on the dialog's menu item with that id, or takes it off.
void checkMenuItem(HWND dialog, int id, bool checked);
void attachMenu(HWND dialog, HMENU menuBar);
// Returns when the dialog window no longer exists.
void showModal(HWND dialog, EventHandler handler, LRESULT* result);
void endDialog(HWND dialog, LRESULT result);
void setControlText(HWND dialog, int id, const std::string& text);
void setCheck(HWND dialog, int id, int state);
using core::numberText;
int messageBox(const std::string& text, const std::string& caption, UINT style);

// Posts a message to the window's event routing; safe from any thread. The
// message is delivered on the GUI thread, in the order posted; a message to
// a window that is gone by then is dropped.
void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A picture drawn on the window's client area on top of its controls, kept
// and repainted whenever the window is exposed. Rows are stored bottom-up
// (the first row in memory is the bottom row). The picture is scaled to the
// destination size when that differs from the source size.
enum class PixelFormat { Bgr24, Rgb555 };
void drawPicture(HWND dialog, int x, int y, int destWidth, int destHeight, const void* bits,
                 int srcWidth, int srcHeight, PixelFormat format);
// A short note written centred over the picture drawn at (x, y), in white,
// wrapped to the picture's width; it stays until replaced, and an empty
// text takes it away.
void setPictureNote(HWND dialog, int x, int y, const std::string& text);

// Whether the handle still stands for a window.
bool windowExists(HWND window);

}  // namespace dialog
