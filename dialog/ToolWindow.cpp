#include "dialog/ToolWindow.h"

#include <QCloseEvent>

namespace dialog {

ToolWindow::ToolWindow(win::Window* owner, int closedId, const QString& title, QSize size,
                       std::function<void()> closed)
    : QWidget(nullptr), owner_(owner), closedId_(closedId), closed_(std::move(closed)) {
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(size);
    // Beside the owner's window, where the screen allows.
    if (owner != nullptr && owner->widget != nullptr) {
        const QRect frame = owner->widget->frameGeometry();
        move(frame.right() + 8, frame.top());
    }
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closed_) closed_();
    if (liveWindow(owner_) != nullptr)
        route(owner_, win::WM_COMMAND, win::MAKEWPARAM(static_cast<win::WORD>(closedId_), 0), 0);
}

void dismiss(ToolWindow*& window) {
    if (window == nullptr) return;
    ToolWindow* gone = window;
    window = nullptr;
    gone->hide();
    gone->deleteLater();
}

}  // namespace dialog
