// Dialogs, controls, menus, routing and the modal show, over Qt Widgets.
#include "dialog/DialogLayer.h"

#include "core/MessagePost.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>
#include <memory>
#include <unordered_set>

#include "dialog/DialogWidgets.h"
#include "dialog/WindowRecord.h"

namespace dialog {

using namespace win;

namespace {

// Every window record made in this process. Records outlive their windows,
// so a stale handle (say, in a message posted just before a window was
// destroyed) is recognised as gone instead of reaching another window.
std::vector<std::unique_ptr<Window>>& allWindows() {
    static std::vector<std::unique_ptr<Window>> windows;
    return windows;
}
// The records of windows that exist, for looking a handle up at once.
std::unordered_set<const Window*>& liveWindows() {
    static std::unordered_set<const Window*> windows;
    return windows;
}
Window* newWindowRecord() {
    allWindows().push_back(std::make_unique<Window>());
    Window* record = allWindows().back().get();
    liveWindows().insert(record);
    return record;
}
std::vector<std::unique_ptr<Menu>>& allMenus() {
    static std::vector<std::unique_ptr<Menu>> menus;
    return menus;
}

QApplication* application = nullptr;
int applicationArgc = 1;
char applicationName[] = "nbtv";
char* applicationArgv[] = {applicationName, nullptr};

// One dialog unit is 1.5 pixels across and 1.625 down: the average
// character of the dialog font is 6 pixels wide and 13 high.
constexpr int BaseUnitX = 6;
constexpr int BaseUnitY = 13;

int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

Window* findControl(Window* dialog, int id) {
    if (dialog == nullptr) return nullptr;
    for (Window* control : dialog->controls)
        if (control->id == id) return control;
    return nullptr;
}

MenuItem* findMenuItem(Menu* menu, int id) {
    if (menu == nullptr) return nullptr;
    for (MenuItem& item : menu->items)
        if (item.id == id) return &item;
    for (Menu* popup : menu->popups)
        if (MenuItem* item = findMenuItem(popup, id)) return item;
    return nullptr;
}

QFont dialogFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    font.setStretch(QFont::SemiCondensed);
    return font;
}

void destroyWindow(Window* dialog) {
    if (!dialog->alive) return;
    route(dialog, WM_DESTROY, 0, 0);
    dialog->alive = false;
    liveWindows().erase(dialog);
    for (Window* control : dialog->controls) {
        control->alive = false;
        liveWindows().erase(control);
    }
    for (QEventLoop* loop : dialog->loops) loop->exit(0);
    dialog->widget->hide();
    dialog->widget->deleteLater();
    dialog->widget = nullptr;
    dialog->client = nullptr;
    dialog->overlay = nullptr;
    for (Window* control : dialog->controls) control->widget = nullptr;
}

}  // namespace

int unitsToPixelsX(int units) { return mulDiv(units, BaseUnitX, 4); }
int unitsToPixelsY(int units) { return mulDiv(units, BaseUnitY, 8); }

void startToolkit(int& argc, char** argv) {
    if (QCoreApplication::instance() != nullptr) return;
    if (argc <= 0 || argv == nullptr) {
        application = new QApplication(applicationArgc, applicationArgv);
    } else {
        application = new QApplication(argc, argv);
    }
    QApplication::setFont(dialogFont());
    prepareMessagePump();
    // Sound devices notify windows through the same post as everything else.
    core::setMessagePoster(postMessage);
}

void stopToolkit() {
    // Ends the toolkit while the program's own data still exists; windows
    // not yet destroyed go with it.
    core::setMessagePoster(nullptr);
    delete application;
    application = nullptr;
}

Window* liveWindow(HWND window) {
    return liveWindows().count(window) != 0 ? window : nullptr;
}

bool windowExists(HWND window) { return liveWindow(window) != nullptr; }

HWND createDialog(const std::string& caption, int x, int y, int width, int height,
                  DWORD style, DWORD exStyle) {
    Window* dialog = newWindowRecord();
    dialog->isDialog = true;
    dialog->style = ((style | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK) & ~(WS_VISIBLE | DS_SYSMODAL));
    const bool centred = x == -1 || y == -1;
    if (centred) dialog->style |= DS_CENTER;
    dialog->exStyle = exStyle;

    auto* widget = new DialogWidget(dialog);
    dialog->widget = widget;
    // Captions are cut at 256 characters; an empty one shows as one blank.
    const QString title = fromText(caption).left(256);
    widget->setWindowTitle(title.isEmpty() ? QStringLiteral(" ") : title);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style & WS_THICKFRAME) {
        if (style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
        if (style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
    }
    widget->setWindowFlags(flags);

    dialog->client = new QWidget(widget);
    const int clientWidth = unitsToPixelsX(width);
    const int clientHeight = unitsToPixelsY(height);
    dialog->client->setGeometry(0, 0, clientWidth, clientHeight);
    dialog->overlay = new PictureOverlay(dialog->client, dialog);
    dialog->overlay->setGeometry(0, 0, clientWidth, clientHeight);
    if (style & WS_THICKFRAME) {
        widget->resize(clientWidth, clientHeight);
    } else {
        widget->setFixedSize(clientWidth, clientHeight);
    }
    if (centred) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            widget->move(area.center() - QPoint(clientWidth / 2, clientHeight / 2));
        }
    } else {
        // A template keeps only the low 16 bits of each coordinate.
        widget->move(unitsToPixelsX(static_cast<short>(x & 0xFFFF)),
                     unitsToPixelsY(static_cast<short>(y & 0xFFFF)));
    }
    return dialog;
}

HWND addControl(HWND dialogHandle, ControlKind kind, int id, const std::string& text, int x,
                int y, int width, int height, DWORD style, DWORD exStyle, EventHandler handler) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || !dialog->isDialog) return nullptr;

    const int px = unitsToPixelsX(x), py = unitsToPixelsY(y);
    const int pw = unitsToPixelsX(width), ph = unitsToPixelsY(height);

    DWORD kindStyle = 0, fixed = WS_CHILD | WS_VISIBLE, kept = 0xFFFFFFFF;
    switch (kind) {
        case ControlKind::PushButton: kindStyle = WS_TABSTOP; break;
        case ControlKind::CheckBox:
            kindStyle = BS_AUTOCHECKBOX | WS_TABSTOP;
            fixed |= BS_AUTOCHECKBOX;
            kept = WS_GROUP | WS_TABSTOP;
            break;
        case ControlKind::RadioButton:
            kindStyle = BS_AUTORADIOBUTTON | WS_TABSTOP;
            fixed |= BS_AUTORADIOBUTTON;
            kept = WS_GROUP | WS_TABSTOP;
            break;
        case ControlKind::GroupBox:
            kindStyle = BS_GROUPBOX;
            fixed |= BS_GROUPBOX;
            kept = 0;
            break;
        case ControlKind::Label: kindStyle = SS_LEFT; break;
        case ControlKind::ScrollBar: kindStyle = pw < ph ? SBS_VERT : SBS_HORZ; break;
        case ControlKind::TextBox:
            kindStyle = ES_AUTOHSCROLL | WS_TABSTOP;
            if (style == 0) exStyle |= WS_EX_CLIENTEDGE;
            break;
    }
    const DWORD given = style == 0 ? kindStyle : style;
    const DWORD finalStyle = (given & kept) | fixed;

    Window* control = newWindowRecord();
    control->kind = kind;
    control->id = id;
    control->style = finalStyle;
    control->exStyle = exStyle;
    control->handler = handler;
    control->dialog = dialog;
    if (finalStyle & WS_GROUP) dialog->radioGroup = nullptr;  // a new group starts here

    QWidget* widget = makeControl(dialog, control, fromText(text));
    control->widget = widget;
    widget->setGeometry(px, py, pw, ph);
    widget->setVisible(true);
    dialog->controls.push_back(control);
    dialog->overlay->raise();
    return control;
}

HMENU newMenu(bool menuBar) {
    allMenus().push_back(std::make_unique<Menu>());
    Menu* menu = allMenus().back().get();
    menu->isBar = menuBar;
    if (menuBar) {
        menu->bar = new QMenuBar();
    } else {
        menu->popup = new QMenu();
    }
    return menu;
}

void addMenuItem(HMENU menu, const std::string& text, int id, int position,
                 EventHandler handler, bool popupFlag, HMENU popup) {
    if (menu == nullptr) return;
    QWidget* host = menu->isBar ? static_cast<QWidget*>(menu->bar) : menu->popup;
    if (host == nullptr) return;
    QList<QAction*> actions = host->actions();
    QAction* before = (position >= 0 && position < actions.size()) ? actions[position] : nullptr;

    if (popupFlag && popup != nullptr && popup->popup != nullptr) {
        popup->popup->setTitle(fromText(text));
        // A pop-up inside a pop-up hangs from it, so that its items find
        // their dialog as the outer menu's do.
        if (!menu->isBar) popup->popup->setParent(host, popup->popup->windowFlags());
        host->insertAction(before, popup->popup->menuAction());
        menu->popups.push_back(popup);
        return;
    }
    if (text == "-") {  // a separator: no text, no id, no handler
        auto* separator = new QAction(host);
        separator->setSeparator(true);
        host->insertAction(before, separator);
        return;
    }
    auto* action = new QAction(fromText(text), host);
    menu->items.push_back({id, handler, action});
    host->insertAction(before, action);
    QObject::connect(action, &QAction::triggered, action, [action, id]() {
        // Check marks move only when the program says so: undo the toolkit's toggle.
        if (action->isCheckable()) action->setChecked(!action->isChecked());
        // The menu belongs to whichever dialog its bar is attached to.
        for (QWidget* w = qobject_cast<QWidget*>(action->parent()); w != nullptr;
             w = w->parentWidget()) {
            if (auto* owner = dynamic_cast<DialogWidget*>(w)) {
                if (owner->record->alive)
                    route(owner->record, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
                return;
            }
        }
    });
}

MenuItem* menuItemOf(HWND dialogHandle, int id) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return nullptr;
    MenuItem* item = findMenuItem(dialog->menuBar, id);
    return item != nullptr ? item : findMenuItem(dialog->contextMenu, id);
}

void checkMenuItem(HWND dialog, int id, bool checked) {
    MenuItem* item = menuItemOf(dialog, id);
    if (item == nullptr || item->action == nullptr) return;
    item->action->setCheckable(true);
    item->action->setChecked(checked);
}

void attachMenu(HWND dialogHandle, HMENU menuBar) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || menuBar == nullptr || menuBar->bar == nullptr) return;
    dialog->menuBar = menuBar;
    QMenuBar* bar = menuBar->bar;
    bar->setParent(dialog->widget);
    // Pop-ups follow their bar so the triggered action can find its dialog.
    for (Menu* popup : menuBar->popups) popup->popup->setParent(bar, popup->popup->windowFlags());
    const int barHeight = bar->sizeHint().height();
    bar->setGeometry(0, 0, dialog->client->width(), barHeight);
    dialog->client->move(0, barHeight);
    const QSize size(dialog->client->width(), dialog->client->height() + barHeight);
    if (dialog->style & WS_THICKFRAME) {
        dialog->widget->resize(size);
    } else {
        dialog->widget->setFixedSize(size);
    }
    bar->show();
}

LRESULT route(HWND dialogHandle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return 0;
    if (message == WM_ACTIVATE) return 1;  // activation stays inside the layer
    if (message == WM_COMMAND) {
        const int id = static_cast<short>(LOWORD(wParam));
        if (Window* control = findControl(dialog, id)) {
            if (control->handler != nullptr) {
                const LRESULT result = control->handler(dialog, message, wParam, lParam);
                if (result != 0) return result;
            }
        } else if (const MenuItem* item = menuItemOf(dialog, id)) {
            if (item->handler != nullptr) {
                const LRESULT result = item->handler(dialog, message, wParam, lParam);
                if (result != 0) return result;
            }
        }
    }
    if (!windowExists(dialog)) return 0;
    if (dialog->handler != nullptr) {
        const LRESULT result = dialog->handler(dialog, message, wParam, lParam);
        if (result != 0) return result;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        endDialog(dialog, 0);
        return 1;
    }
    return 0;
}

void showModal(HWND dialogHandle, EventHandler handler, LRESULT* result) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || !dialog->isDialog) return;
    if (handler != nullptr) handler(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog), 0);
    if (!windowExists(dialog)) return;
    dialog->handler = handler;
    dialog->resultAddress = result;
    dialog->widget->show();

    // The loop blocks while nothing happens; destroying the window ends it
    // and every loop around it.
    QEventLoop loop;
    dialog->loops.push_back(&loop);
    loop.exec();
    dialog->loops.erase(std::find(dialog->loops.begin(), dialog->loops.end(), &loop));
    if (dialog->loops.empty() && !dialog->alive)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void endDialog(HWND dialogHandle, LRESULT result) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || !dialog->isDialog) return;
    route(dialog, WM_CLOSE, 0, 0);
    if (!windowExists(dialog)) return;
    if (dialog->resultAddress != nullptr) *dialog->resultAddress = result;
    destroyWindow(dialog);
}

}  // namespace dialog
