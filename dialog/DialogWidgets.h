#pragma once
// The Qt widgets behind a dialog window. Private to dialog/.
#include <QRadioButton>
#include <QWidget>

#include "dialog/WindowRecord.h"

namespace dialog {

// The top-level window: turns the close box into the system close command
// and receives messages posted to the window.
class DialogWidget : public QWidget {
public:
    explicit DialogWidget(win::Window* record);
    win::Window* record;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Paints the pictures drawn with drawPicture over the controls; lets every
// mouse event through to the controls below.
class PictureOverlay : public QWidget {
public:
    PictureOverlay(QWidget* parent, win::Window* record);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    win::Window* record_;
};

// An automatic radio button: a click always checks it; the dialog layer
// clears the others of its group.
class AutoRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override { setChecked(true); }
};

// Builds the Qt control of a kind, wired to route its notifications.
QWidget* makeControl(win::Window* dialog, win::Window* control, const QString& text);

}  // namespace dialog
