// The style each kind of control ends up with, and the dialog template.
#include <gtest/gtest.h>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "dialog/WindowSystem.h"

using namespace win;
using dialog::ControlKind;

namespace {
HWND host() {
    static HWND w = dialog::createDialog("Styles", 0, 0, 200, 200, WS_SYSMENU, 0);
    return w;
}
int nextId = 500;
DWORD styleOf(ControlKind kind, DWORD style, int width = 40, int height = 14, DWORD* ex = nullptr) {
    const int id = nextId++;
    dialog::addControl(host(), kind, id, "x", 1, 1, width, height, style, 0, nullptr);
    if (ex != nullptr) *ex = dialog::controlExStyle(host(), id);
    return dialog::controlStyle(host(), id);
}
}  // namespace

TEST(ControlStyle, KindsAddTheirBitsAndKeepOnlyWhatTheyKeep) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    EXPECT_EQ(styleOf(ControlKind::CheckBox, WS_TABSTOP), child | WS_TABSTOP | BS_AUTOCHECKBOX);
    EXPECT_EQ(styleOf(ControlKind::CheckBox, WS_BORDER | WS_GROUP), child | WS_GROUP | BS_AUTOCHECKBOX);
    EXPECT_EQ(styleOf(ControlKind::RadioButton, 0), child | WS_TABSTOP | BS_AUTORADIOBUTTON);
    EXPECT_EQ(styleOf(ControlKind::GroupBox, WS_GROUP | WS_TABSTOP | SS_CENTER), child | BS_GROUPBOX);
    EXPECT_EQ(styleOf(ControlKind::PushButton, 0), child | WS_TABSTOP);
    EXPECT_EQ(styleOf(ControlKind::PushButton, BS_DEFPUSHBUTTON | WS_GROUP), child | BS_DEFPUSHBUTTON | WS_GROUP);
    EXPECT_EQ(styleOf(ControlKind::Label, 0), child | SS_LEFT);
    EXPECT_EQ(styleOf(ControlKind::Label, SS_SUNKEN | SS_CENTERIMAGE), child | SS_SUNKEN | SS_CENTERIMAGE);
}

TEST(ControlStyle, ScrollBarDirectionByShapeOnlyWhenNoStyleIsGiven) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    EXPECT_EQ(styleOf(ControlKind::ScrollBar, 0, 11, 142), child | SBS_VERT);
    EXPECT_EQ(styleOf(ControlKind::ScrollBar, 0, 65, 8), child | SBS_HORZ);
    // An explicit style is kept whatever the shape.
    EXPECT_EQ(styleOf(ControlKind::ScrollBar, WS_TABSTOP, 11, 142), child | WS_TABSTOP | SBS_HORZ);
}

TEST(ControlStyle, TextBoxGetsASunkenEdgeOnlyByDefault) {
    DWORD ex = 0;
    EXPECT_EQ(styleOf(ControlKind::TextBox, 0, 40, 14, &ex), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | WS_TABSTOP);
    EXPECT_EQ(ex, WS_EX_CLIENTEDGE);
    EXPECT_EQ(styleOf(ControlKind::TextBox, ES_READONLY, 40, 14, &ex), WS_CHILD | WS_VISIBLE | ES_READONLY);
    EXPECT_EQ(ex, 0u);
}

TEST(DialogTemplate, StyleBitsAndPosition) {
    HWND centred = dialog::createDialog("", -1, 5, 100, 50, WS_POPUP | WS_VISIBLE | DS_SYSMODAL, 0);
    EXPECT_EQ(dialog::dialogStyle(centred), WS_POPUP | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK | DS_CENTER);
    HWND corner = dialog::createDialog("Corner", CW_USEDEFAULT, CW_USEDEFAULT, 100, 50, WS_SYSMENU, 0);
    EXPECT_EQ(dialog::dialogStyle(corner) & DS_CENTER, 0u);
    int x, y, width, height;
    dialog::windowGeometry(corner, x, y, width, height);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(width, 150);   // 100 units of 1.5 pixels
    EXPECT_EQ(height, 81);   // 50 units of 1.625 pixels, rounded
    dialog::endDialog(centred, 0);
    dialog::endDialog(corner, 0);
}

TEST(Controls, RadioGroupsFollowTheGroupStyle) {
    HWND w = dialog::createDialog("Radios", 0, 0, 100, 100, WS_SYSMENU, 0);
    auto radio = [w](int id, DWORD style) {
        dialog::addControl(w, ControlKind::RadioButton, id, "r", 1, id - 1, 30, 10, style, 0, nullptr);
    };
    radio(1, BS_AUTORADIOBUTTON | WS_GROUP);
    radio(2, BS_AUTORADIOBUTTON | WS_TABSTOP);
    dialog::addControl(w, ControlKind::GroupBox, -1, "box", 0, 0, 50, 50, WS_GROUP, 0, nullptr);
    radio(3, BS_AUTORADIOBUTTON | WS_GROUP);
    radio(4, BS_AUTORADIOBUTTON | WS_TABSTOP);
    dialog::setCheck(w, 2, 1);
    dialog::setCheck(w, 4, 1);
    dialog::clickControl(w, 1);
    EXPECT_EQ(dialog::checkState(w, 1), 1);
    EXPECT_EQ(dialog::checkState(w, 2), 0);
    EXPECT_EQ(dialog::checkState(w, 4), 1);  // another group
    dialog::clickControl(w, 1);               // clicking a checked radio keeps it checked
    EXPECT_EQ(dialog::checkState(w, 1), 1);
    dialog::endDialog(w, 0);
}

TEST(Controls, ScrollBarsHoldThePositionInsideTheRange) {
    HWND w = dialog::createDialog("Bar", 0, 0, 100, 100, WS_SYSMENU, 0);
    HWND bar = dialog::addControl(w, ControlKind::ScrollBar, 7, "", 1, 1, 11, 80, 0, 0, nullptr);
    SetScrollRange(bar, SB_CTL, 100, 180, true);
    SetScrollPos(bar, SB_CTL, 190, true);
    EXPECT_EQ(dialog::scrollPos(w, 7), 180);
    SetScrollPos(bar, SB_CTL, 99, true);
    EXPECT_EQ(dialog::scrollPos(w, 7), 100);
    int lo, hi;
    dialog::scrollRange(w, 7, lo, hi);
    EXPECT_EQ(lo, 100);
    EXPECT_EQ(hi, 180);
    EXPECT_EQ(GetWindowLongA(bar, GWL_ID), 7);
    EXPECT_EQ(GetDlgItem(w, 7), bar);
    EXPECT_EQ(GetDlgItem(w, 8), nullptr);
    dialog::endDialog(w, 0);
}

TEST(Pictures, DrawnBottomUpAndScaledToTheDestination) {
    HWND w = dialog::createDialog("Pic", 0, 0, 100, 100, WS_SYSMENU, 0);
    // Two rows of one pixel: the first in memory is the bottom one.
    const unsigned char bgr[8] = {10, 20, 30, 0, 200, 150, 100, 0};
    dialog::drawPicture(w, 4, 5, 1, 2, bgr, 1, 2, dialog::PixelFormat::Bgr24);
    std::uint32_t pixels[2];
    int width = 0, height = 0;
    ASSERT_TRUE(dialog::pictureAt(w, 4, 5, width, height, pixels, 2));
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x6496C8u);  // top row: r=100 g=150 b=200
    EXPECT_EQ(pixels[1] & 0xFFFFFF, 0x1E140Au);  // bottom row
    const std::uint16_t words[4] = {0x7C00, 0x03E0, 0x001F, 0x7FFF};  // one row of four
    dialog::drawPicture(w, 0, 0, 4, 1, words, 4, 1, dialog::PixelFormat::Rgb555);
    std::uint32_t row[4];
    ASSERT_TRUE(dialog::pictureAt(w, 0, 0, width, height, row, 4));
    EXPECT_EQ(row[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(row[1] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(row[2] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(row[3] & 0xFFFFFF, 0xFFFFFFu);
    dialog::endDialog(w, 0);
}
