#pragma once
// What tests and tools read back from the dialog layer and how they drive
// it: control texts, checks, bars and pictures; clicks, scroll actions, menu
// commands and the close box. Lives in the test-only library dialog_testing,
// which the programs do not link.
#include <cstdint>
#include <string>

#include "dialog/DialogLayer.h"

namespace dialog {

// Tests replace the message box with a hook; null restores the real box.
using MessageBoxHook = int (*)(const std::string& text, const std::string& caption, UINT style);
void setMessageBoxHook(MessageBoxHook hook);

std::string controlText(HWND dialog, int id);
int checkState(HWND dialog, int id);
bool menuItemChecked(HWND dialog, int id);  // false for an unknown id
void scrollRange(HWND dialog, int id, int& minPos, int& maxPos);
int scrollPos(HWND dialog, int id);
win::DWORD controlStyle(HWND dialog, int id);  // the style the control was made with
win::DWORD controlExStyle(HWND dialog, int id);
win::DWORD dialogStyle(HWND dialog);            // the template's style
HWND controlHandle(HWND dialog, int id);
bool windowVisible(HWND window);
void clickControl(HWND dialog, int id);           // as a mouse click: check marks move, then routing
void sendScroll(HWND dialog, int id, int code, int thumbPos = 0);
void sendMenuCommand(HWND dialog, int id);
void sendCloseBox(HWND dialog);
// Runs pending events until none remain (tests).
void processPendingEvents();
// The picture last drawn at (x, y), as 0xAARRGGBB words, top row first;
// empty when nothing was drawn there.
bool pictureAt(HWND dialog, int x, int y, int& width, int& height, std::uint32_t* pixels,
               int capacity);
// The note over the picture at (x, y), or "" when there is none.
std::string pictureNote(HWND dialog, int x, int y);
// Top-level geometry in screen pixels, for tests.
void windowGeometry(HWND dialog, int& x, int& y, int& width, int& height);

}  // namespace dialog
