// Control text and checks, message boxes, program start, posted messages,
// drawn pictures, and the read-back calls the tests use.
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <cstring>

#include "dialog/DialogLayer.h"
#include "dialog/DialogWidgets.h"
#include "dialog/WindowRecord.h"
#include "dialog/WindowSystem.h"
#include "platform/ProcessStart.h"

namespace dialog {

using namespace win;

namespace {

Window* controlOf(HWND dialogHandle, int id) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return nullptr;
    for (Window* control : dialog->controls)
        if (control->id == id) return control;
    return nullptr;
}

// A message on its way to a window; delivered on the GUI thread.
class PostedMessage : public QEvent {
public:
    static QEvent::Type type() {
        static const int registered = QEvent::registerEventType();
        return static_cast<QEvent::Type>(registered);
    }
    PostedMessage(HWND w, UINT m, WPARAM wp, LPARAM lp)
        : QEvent(type()), window(w), message(m), wParam(wp), lParam(lp) {}
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class MessagePump : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() != PostedMessage::type()) return QObject::event(e);
        auto* posted = static_cast<PostedMessage*>(e);
        if (liveWindow(posted->window) != nullptr)
            route(posted->window, posted->message, posted->wParam, posted->lParam);
        return true;
    }
};

MessagePump* pump() {
    // Made on the GUI thread the first time a window is made or a message
    // posted from it; lives for the process.
    static MessagePump* instance = [] {
        auto* p = new MessagePump();
        p->moveToThread(QCoreApplication::instance()->thread());
        return p;
    }();
    return instance;
}

MessageBoxHook messageBoxHook = nullptr;

}  // namespace

void prepareMessagePump() { pump(); }

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (QCoreApplication::instance() == nullptr) return;
    QCoreApplication::postEvent(pump(), new PostedMessage(window, message, wParam, lParam));
}

void setControlText(HWND dialog, int id, const std::string& text) {
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return;
    const QString s = fromText(text);
    QWidget* w = control->widget;
    if (auto* label = dynamic_cast<QLabel*>(w)) label->setText(s);
    else if (auto* button = dynamic_cast<QAbstractButton*>(w)) button->setText(s);
    else if (auto* edit = dynamic_cast<QLineEdit*>(w)) edit->setText(s);
    else if (auto* box = dynamic_cast<QGroupBox*>(w)) box->setTitle(s);
}

void setCheck(HWND dialog, int id, int state) {
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return;
    if (auto* button = dynamic_cast<QAbstractButton*>(control->widget)) button->setChecked(state != 0);
}

void setMessageBoxHook(MessageBoxHook hook) { messageBoxHook = hook; }

int messageBox(const std::string& text, const std::string& caption, UINT style) {
    if (messageBoxHook != nullptr) return messageBoxHook(text, caption, style);
    QMessageBox box(QMessageBox::Information, fromText(caption), fromText(text), QMessageBox::Ok);
    box.setWindowModality(Qt::NonModal);  // no owner: the program's window stays usable
    box.exec();
    return IDOK;
}

std::int64_t startProgram(const std::string& commandLine, int showState, bool wait) {
    (void)showState;  // the started program shows its window as it normally does
    return platform::startProcess(commandLine.substr(0, 256), wait);
}

void drawPicture(HWND dialogHandle, int x, int y, int destWidth, int destHeight, const void* bits,
                 int srcWidth, int srcHeight, PixelFormat format) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || dialog->overlay == nullptr || bits == nullptr || srcWidth <= 0 ||
        srcHeight <= 0 || destWidth <= 0 || destHeight <= 0)
        return;
    QImage image(srcWidth, srcHeight, QImage::Format_RGB32);
    const auto* bytes = static_cast<const unsigned char*>(bits);
    const int stride = format == PixelFormat::Bgr24 ? ((srcWidth * 3 + 3) & ~3) : ((srcWidth * 2 + 3) & ~3);
    for (int row = 0; row < srcHeight; ++row) {
        // The first row in memory is the bottom row.
        const unsigned char* source = bytes + static_cast<std::size_t>(row) * stride;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(srcHeight - 1 - row));
        for (int column = 0; column < srcWidth; ++column) {
            if (format == PixelFormat::Bgr24) {
                const unsigned char* p = source + column * 3;
                line[column] = qRgb(p[2], p[1], p[0]);
            } else {
                std::uint16_t word;
                std::memcpy(&word, source + column * 2, 2);
                auto expand = [](int c) { return (c << 3) | (c >> 2); };
                line[column] = qRgb(expand((word >> 10) & 31), expand((word >> 5) & 31), expand(word & 31));
            }
        }
    }
    if (destWidth != srcWidth || destHeight != srcHeight)
        image = image.scaled(destWidth, destHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    dialog->pictures[{x, y}] = image;
    dialog->overlay->update(QRect(x, y, destWidth, destHeight));
}

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

int checkState(HWND dialog, int id) {
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return 0;
    auto* button = dynamic_cast<QAbstractButton*>(control->widget);
    return button != nullptr && button->isChecked() ? 1 : 0;
}

void scrollRange(HWND dialog, int id, int& minPos, int& maxPos) {
    minPos = maxPos = 0;
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return;
    if (auto* bar = dynamic_cast<QScrollBar*>(control->widget)) {
        minPos = bar->minimum();
        maxPos = bar->maximum();
    }
}

int scrollPos(HWND dialog, int id) {
    Window* control = controlOf(dialog, id);
    if (control == nullptr || control->widget == nullptr) return 0;
    auto* bar = dynamic_cast<QScrollBar*>(control->widget);
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

namespace win {

HWND GetDlgItem(HWND dialog, int id) { return dialog::controlHandle(dialog, id); }

int SetScrollRange(HWND barHandle, int kind, int minPos, int maxPos, bool redraw) {
    (void)kind;
    (void)redraw;
    Window* control = dialog::liveWindow(barHandle);
    if (control == nullptr || control->widget == nullptr) return 0;
    auto* bar = dynamic_cast<QScrollBar*>(control->widget);
    if (bar == nullptr) return 0;
    bar->setRange(minPos, maxPos);
    return 1;
}

int SetScrollPos(HWND barHandle, int kind, int pos, bool redraw) {
    (void)kind;
    (void)redraw;
    Window* control = dialog::liveWindow(barHandle);
    if (control == nullptr || control->widget == nullptr) return 0;
    auto* bar = dynamic_cast<QScrollBar*>(control->widget);
    if (bar == nullptr) return 0;
    const int previous = bar->value();
    bar->setValue(pos);  // held inside the range, as the thumb is
    bar->setSliderPosition(bar->value());
    return previous;
}

LRESULT GetWindowLongA(HWND window, int index) {
    Window* record = dialog::liveWindow(window);
    if (record == nullptr || index != GWL_ID) return 0;
    return record->id;
}

namespace {
int quitCode = 0;
}

void PostQuitMessage(int exitCode) { quitCode = exitCode; }

int quitExitCode() { return quitCode; }

}  // namespace win
