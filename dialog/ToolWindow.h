#pragma once
// A separate top-level window beside a dialog. Private to dialog/.
#include <QWidget>
#include <functional>

#include "dialog/WindowRecord.h"

namespace dialog {

class ToolWindow : public QWidget {
public:
    // closed runs when the user closes the window, before the owner hears of it.
    ToolWindow(win::Window* owner, int closedId, const QString& title, QSize size,
               std::function<void()> closed);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    win::Window* owner_;
    int closedId_;
    std::function<void()> closed_;
};

// Shows the tool window kept in `window`, made by `make` when there is none
// yet; one that is open already is raised instead.
template <class Make>
void openOrRaise(ToolWindow*& window, Make make) {
    if (window != nullptr) {
        window->raise();
        return;
    }
    window = make();
    window->show();
}

// Closes a tool window from the program: no notice to the owner.
void dismiss(ToolWindow*& window);

}  // namespace dialog
