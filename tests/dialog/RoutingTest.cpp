// Routing of messages, the modal show and the end of a dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "dialog/WindowSystem.h"
#include "tests/common/ModalRun.h"

using namespace win;
using dialog::ControlKind;

namespace {

struct Seen {
    std::string who;
    UINT message;
    WPARAM wParam;
};
std::vector<Seen> seen;
LRESULT controlResult = 0;
LRESULT eventResult = 0;
int initialisations = 0;

LRESULT controlHandler(HWND, UINT m, WPARAM w, LPARAM) {
    seen.push_back({"control", m, w});
    return controlResult;
}
LRESULT menuHandler(HWND, UINT m, WPARAM w, LPARAM) {
    seen.push_back({"menu", m, w});
    return 0;
}
LRESULT eventHandler(HWND, UINT m, WPARAM w, LPARAM) {
    if (m == WM_INITDIALOG) ++initialisations;
    seen.push_back({"event", m, w});
    return m == WM_SYSCOMMAND ? eventResult : 0;
}

HWND makeDialog() {
    seen.clear();
    controlResult = eventResult = 0;
    initialisations = 0;
    HWND w = dialog::createDialog("Test", -1, -1, 100, 80, WS_SYSMENU, 0);
    dialog::addControl(w, ControlKind::PushButton, 10, "&Go", 5, 5, 40, 14, 0, 0, controlHandler);
    dialog::HMENU bar = dialog::newMenu(true);
    dialog::HMENU popup = dialog::newMenu(false);
    dialog::addMenuItem(popup, "&Item", 20, -1, menuHandler);
    dialog::addMenuItem(popup, "-", 0, -1, nullptr);
    dialog::addMenuItem(bar, "&Menu", 0, -1, nullptr, true, popup);
    dialog::attachMenu(w, bar);
    return w;
}

std::vector<std::string> whoSaw(UINT message) {
    std::vector<std::string> who;
    for (const Seen& s : seen)
        if (s.message == message) who.push_back(s.who);
    return who;
}

}  // namespace

TEST(Routing, ClickGoesToControlHandlerThenEventHandlerUnlessHandled) {
    HWND w = makeDialog();
    runShown(w, eventHandler, [w]() {
        dialog::clickControl(w, 10);
        EXPECT_EQ(whoSaw(WM_COMMAND), (std::vector<std::string>{"control", "event"}));
        seen.clear();
        controlResult = 1;
        dialog::clickControl(w, 10);
        EXPECT_EQ(whoSaw(WM_COMMAND), (std::vector<std::string>{"control"}));
    });
}

TEST(Routing, MenuItemHandlerRunsBeforeTheEventHandler) {
    HWND w = makeDialog();
    runShown(w, eventHandler, [w]() {
        dialog::sendMenuCommand(w, 20);
        EXPECT_EQ(whoSaw(WM_COMMAND), (std::vector<std::string>{"menu", "event"}));
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(LOWORD(seen.back().wParam), 20);
    });
}

TEST(Routing, MenuCheckMarksMoveOnlyWhenTheProgramSetsThem) {
    HWND w = makeDialog();
    runShown(w, eventHandler, [w]() {
        EXPECT_FALSE(dialog::menuItemChecked(w, 20));
        dialog::checkMenuItem(w, 20, true);
        EXPECT_TRUE(dialog::menuItemChecked(w, 20));
        dialog::sendMenuCommand(w, 20);  // the command itself leaves the mark alone
        EXPECT_TRUE(dialog::menuItemChecked(w, 20));
        dialog::checkMenuItem(w, 20, false);
        EXPECT_FALSE(dialog::menuItemChecked(w, 20));
        EXPECT_FALSE(dialog::menuItemChecked(w, 99));
    });
}

TEST(Routing, CloseBoxSendsCloseThenDestroysWithResultZero) {
    HWND w = makeDialog();
    LRESULT result = 99;
    runShown(w, eventHandler, [w]() { dialog::sendCloseBox(w); }, &result);
    EXPECT_FALSE(dialog::windowExists(w));
    EXPECT_EQ(result, 0);
    std::vector<UINT> order;
    for (const Seen& s : seen)
        if (s.message == WM_SYSCOMMAND || s.message == WM_CLOSE || s.message == WM_DESTROY)
            order.push_back(s.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
}

TEST(Routing, CloseBoxTakenByTheHandlerKeepsTheWindow) {
    HWND w = makeDialog();
    runShown(w, eventHandler, [w]() {
        eventResult = 1;
        dialog::sendCloseBox(w);
        EXPECT_TRUE(dialog::windowExists(w));
        eventResult = 0;
    });
    EXPECT_FALSE(dialog::windowExists(w));
}

TEST(Routing, EndDialogStoresTheResult) {
    HWND w = makeDialog();
    LRESULT result = 0;
    runShown(w, eventHandler, [w]() { dialog::endDialog(w, 7); }, &result);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(whoSaw(WM_DESTROY).size(), 1u);
}

TEST(Routing, ScrollMessagesReachOnlyTheEventHandlerWithTheBarHandle) {
    seen.clear();
    HWND w = dialog::createDialog("Bars", 0, 0, 100, 100, WS_SYSMENU, 0);
    HWND bar = dialog::addControl(w, ControlKind::ScrollBar, 30, "", 5, 5, 11, 60, 0, 0, controlHandler);
    HWND lastBar = nullptr;
    static HWND* lastBarOut;
    lastBarOut = &lastBar;
    auto handler = [](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_VSCROLL) *lastBarOut = reinterpret_cast<HWND>(l);
        seen.push_back({"event", m, w});
        return 0;
    };
    runShown(w, handler, [w]() { dialog::sendScroll(w, 30, SB_PAGEDOWN); });
    EXPECT_EQ(whoSaw(WM_VSCROLL), (std::vector<std::string>{"event"}));
    EXPECT_EQ(lastBar, bar);
    EXPECT_EQ(GetWindowLongA(bar, GWL_ID), 0);  // the window is gone
}

TEST(Routing, PostedMessagesArriveInOrderAndNotAfterDestroy) {
    seen.clear();
    HWND w = dialog::createDialog("Posts", 0, 0, 50, 50, WS_SYSMENU, 0);
    runShown(w, eventHandler, [w]() {
        for (UINT i = 0; i < 5; ++i) dialog::postMessage(w, WM_USER + i, i, 0);
        dialog::processPendingEvents();
        std::vector<UINT> got;
        for (const Seen& s : seen)
            if (s.message >= WM_USER) got.push_back(s.message - WM_USER);
        EXPECT_EQ(got, (std::vector<UINT>{0, 1, 2, 3, 4}));
        dialog::postMessage(w, WM_USER + 9, 0, 0);
    });
    dialog::processPendingEvents();
    for (const Seen& s : seen) EXPECT_NE(s.message, WM_USER + 9);
}

// A handler that shows the dialog again from inside itself, as the
// receiver's sample-rate commands do.
namespace {
int depthReached = 0;
LRESULT nestingHandler(HWND w, UINT m, WPARAM wParam, LPARAM) {
    if (m == WM_INITDIALOG) ++initialisations;
    if (m == WM_USER) {
        const int depth = static_cast<int>(wParam);
        depthReached = std::max(depthReached, depth);
        if (depth < 3) {
            dialog::postMessage(w, WM_USER, depth + 1, 0);
            dialog::showModal(w, nestingHandler, nullptr);
        } else {
            dialog::endDialog(w, 0);
        }
    }
    return 0;
}
}  // namespace

TEST(ModalShow, NestedShowsAllUnwindWhenTheWindowIsDestroyed) {
    initialisations = 0;
    depthReached = 0;
    HWND w = dialog::createDialog("Nest", -1, -1, 60, 40, WS_SYSMENU, 0);
    dialog::postMessage(w, WM_USER, 1, 0);
    dialog::showModal(w, nestingHandler, nullptr);
    EXPECT_FALSE(dialog::windowExists(w));
    EXPECT_EQ(depthReached, 3);
    EXPECT_EQ(initialisations, 3);  // one for the first show, one per nested show
}

TEST(ModalShow, InitialisationComesFirstWhileHidden) {
    static UINT first = 0;
    static bool visibleAtInit = true;
    HWND w = dialog::createDialog("Init", -1, -1, 60, 40, WS_SYSMENU, 0);
    dialog::postMessage(w, WM_USER, 0, 0);  // posted before the show: must come after
    auto handler = [](HWND win, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (first == 0) first = m;
        if (m == WM_INITDIALOG) visibleAtInit = dialog::windowVisible(win);
        return 0;
    };
    bool visibleWhenShown = false;
    runShown(w, handler, [&]() { visibleWhenShown = dialog::windowVisible(w); });
    EXPECT_EQ(first, WM_INITDIALOG);
    EXPECT_FALSE(visibleAtInit);
    EXPECT_TRUE(visibleWhenShown);
}

TEST(ModalShow, EndingTheDialogDuringInitialisationReturnsAtOnce) {
    HWND w = dialog::createDialog("Quick", -1, -1, 60, 40, WS_SYSMENU, 0);
    auto handler = [](HWND win, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_INITDIALOG) dialog::endDialog(win, 3);
        return 0;
    };
    dialog::showModal(w, handler, nullptr);  // must not block
    EXPECT_FALSE(dialog::windowExists(w));
}
