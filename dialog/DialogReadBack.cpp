// Read-back of windows and controls, and simulated user actions, for tests
// and tools.
#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "dialog/DialogReadBack.h"
#include "dialog/DialogWidgets.h"
#include "dialog/WindowRecord.h"

namespace dialog {

using namespace win;

bool pictureAt(HWND dialogHandle, int x, int y, int& width, int& height, std::uint32_t* pixels,
               int capacity) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return false;
    auto found = dialog->pictures.find({x, y});
    if (found == dialog->pictures.end()) return false;
    const QImage& image = found->second;
    width = image.width();
    height = image.height();
    if (pixels == nullptr || capacity < width * height) return true;
    for (int row = 0; row < height; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int column = 0; column < width; ++column) pixels[row * width + column] = line[column];
    }
    return true;
}

std::string pictureNote(HWND dialogHandle, int x, int y) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return {};
    const auto note = dialog->notes.find({x, y});
    return note == dialog->notes.end() ? std::string() : note->second.toStdString();
}

std::string controlText(HWND dialog, int id) {
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return {};
    QString s;
    QWidget* w = control->widget;
    if (auto* label = dynamic_cast<QLabel*>(w)) s = label->text();
    else if (auto* button = dynamic_cast<QAbstractButton*>(w)) s = button->text();
    else if (auto* edit = dynamic_cast<QLineEdit*>(w)) s = edit->text();
    else if (auto* box = dynamic_cast<QGroupBox*>(w)) s = box->title();
    return s.replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
}

void setMessageBoxHook(MessageBoxHook hook) { messageBoxHook = hook; }

bool menuItemChecked(HWND dialog, int id) {
    const MenuItem* item = menuItemOf(dialog, id);
    return item != nullptr && item->action != nullptr && item->action->isChecked();
}

int checkState(HWND dialog, int id) {
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return 0;
    auto* button = dynamic_cast<QAbstractButton*>(control->widget);
    return button != nullptr && button->isChecked() ? 1 : 0;
}

void scrollRange(HWND dialog, int id, int& minPos, int& maxPos) {
    minPos = maxPos = 0;
    if (QScrollBar* bar = scrollBarOf(controlOf(dialog, id))) {
        minPos = bar->minimum();
        maxPos = bar->maximum();
    }
}

int scrollPos(HWND dialog, int id) {
    QScrollBar* bar = scrollBarOf(controlOf(dialog, id));
    return bar != nullptr ? bar->value() : 0;
}

DWORD controlStyle(HWND dialog, int id) {
    Window* control = controlOf(dialog, id);
    return control != nullptr ? control->style : 0;
}

DWORD controlExStyle(HWND dialog, int id) {
    Window* control = controlOf(dialog, id);
    return control != nullptr ? control->exStyle : 0;
}

DWORD dialogStyle(HWND dialogHandle) {
    Window* dialog = liveWindow(dialogHandle);
    return dialog != nullptr ? dialog->style : 0;
}

HWND controlHandle(HWND dialog, int id) { return controlOf(dialog, id); }

bool windowVisible(HWND window) {
    Window* record = liveWindow(window);
    return record != nullptr && record->widget != nullptr && record->widget->isVisible();
}

void clickControl(HWND dialog, int id) {
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return;
    if (auto* button = dynamic_cast<QAbstractButton*>(control->widget)) button->click();
}

void sendScroll(HWND dialogHandle, int id, int code, int thumbPos) {
    Window* control = controlOf(dialogHandle, id);
    if (control == nullptr || control->widget == nullptr) return;
    auto* bar = dynamic_cast<QScrollBar*>(control->widget);
    const UINT message = bar != nullptr && bar->orientation() == Qt::Horizontal ? WM_HSCROLL : WM_VSCROLL;
    route(dialogHandle, message, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(thumbPos)),
          reinterpret_cast<LPARAM>(control));
}

void sendMenuCommand(HWND dialogHandle, int id) {
    route(dialogHandle, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

void sendCloseBox(HWND dialogHandle) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog != nullptr && dialog->widget != nullptr) dialog->widget->close();
}

void processPendingEvents() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void windowGeometry(HWND dialogHandle, int& x, int& y, int& width, int& height) {
    x = y = width = height = 0;
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || dialog->widget == nullptr) return;
    const QRect frame = dialog->widget->frameGeometry();
    x = frame.x();
    y = frame.y();
    width = dialog->widget->width();
    height = dialog->widget->height();
}

}  // namespace dialog
