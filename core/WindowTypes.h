#pragma once
// Handles, message numbers and style bits of the window system our programs
// were designed around. The values are the platform's, so that message
// parameters and styles read the same as in the original platform code.
// Nothing here depends on Qt.
#include <cstdint>

namespace win {

struct Window;  // a dialog window or a control; defined by the dialog layer
using HWND = Window*;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Every handler of the programs has this form: nonzero means handled.
using EventHandler = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

inline WORD LOWORD(WPARAM v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HIWORD(WPARAM v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(lo) | (static_cast<WPARAM>(hi) << 16); }

// Window messages.
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_USER = 0x0400;

// Wave-audio notifications.
constexpr UINT MM_WOM_OPEN = 0x3BB;
constexpr UINT MM_WOM_CLOSE = 0x3BC;
constexpr UINT MM_WOM_DONE = 0x3BD;
constexpr UINT MM_WIM_OPEN = 0x3BE;
constexpr UINT MM_WIM_CLOSE = 0x3BF;
constexpr UINT MM_WIM_DATA = 0x3C0;

constexpr WPARAM SC_CLOSE = 0xF060;

// Scroll codes (low word of the first parameter of WM_HSCROLL/WM_VSCROLL).
constexpr WORD SB_LINEUP = 0, SB_LINELEFT = 0;
constexpr WORD SB_LINEDOWN = 1, SB_LINERIGHT = 1;
constexpr WORD SB_PAGEUP = 2, SB_PAGELEFT = 2;
constexpr WORD SB_PAGEDOWN = 3, SB_PAGERIGHT = 3;
constexpr WORD SB_THUMBPOSITION = 4;
constexpr WORD SB_THUMBTRACK = 5;
constexpr WORD SB_TOP = 6, SB_LEFT = 6;
constexpr WORD SB_BOTTOM = 7, SB_RIGHT = 7;
constexpr WORD SB_ENDSCROLL = 8;
constexpr int SB_CTL = 2;
constexpr int GWL_ID = -12;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;

// Dialog template styles.
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_NOFAILCREATE = 0x0010;
constexpr DWORD DS_CENTER = 0x0800;

// Button styles.
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_TYPEMASK = 0x000F;

// Static styles.
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_CENTERIMAGE = 0x0200;
constexpr DWORD SS_SUNKEN = 0x1000;

// Edit styles.
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;

// Scroll-bar styles.
constexpr DWORD SBS_HORZ = 0x0000;
constexpr DWORD SBS_VERT = 0x0001;

// Message-box styles and results.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_ICONINFORMATION = 0x0040;
constexpr int IDOK = 1;

// Show states for started programs.
constexpr int SW_SHOWNORMAL = 1;

// The "use default" position; a dialog template keeps its low 16 bits.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

}  // namespace win
