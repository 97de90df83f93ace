// Control text and checks, message boxes, posted messages,
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

namespace dialog {

using namespace win;

namespace {

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

}  // namespace

MessageBoxHook messageBoxHook = nullptr;

void prepareMessagePump() { pump(); }

Window* controlOf(HWND dialogHandle, int id) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr) return nullptr;
    for (Window* control : dialog->controls)
        if (control->id == id) return control;
    return nullptr;
}

QScrollBar* scrollBarOf(Window* control) {
    if (control == nullptr || control->widget == nullptr) return nullptr;
    return dynamic_cast<QScrollBar*>(control->widget);
}

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


int messageBox(const std::string& text, const std::string& caption, UINT style) {
    if (messageBoxHook != nullptr) return messageBoxHook(text, caption, style);
    QMessageBox box(QMessageBox::Information, fromText(caption), fromText(text), QMessageBox::Ok);
    box.setWindowModality(Qt::NonModal);  // no owner: the program's window stays usable
    box.exec();
    return IDOK;
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

void setPictureNote(HWND dialogHandle, int x, int y, const std::string& text) {
    Window* dialog = liveWindow(dialogHandle);
    if (dialog == nullptr || dialog->overlay == nullptr) return;
    const QString note = fromText(text);
    const auto old = dialog->notes.find({x, y});
    if (old == dialog->notes.end() ? note.isEmpty() : old->second == note) return;
    if (note.isEmpty()) dialog->notes.erase(old);
    else dialog->notes[{x, y}] = note;
    const auto picture = dialog->pictures.find({x, y});
    if (picture != dialog->pictures.end())
        dialog->overlay->update(QRect(QPoint(x, y), picture->second.size()));
}

}  // namespace dialog
