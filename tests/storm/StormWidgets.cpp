// The user's own road to the controls: the toolkit's scroll bars and menu
// items of a shown window, driven as the mouse and keyboard drive them, so
// that the storm also goes through the dialog layer's translation of them.
#include <QAbstractSlider>
#include <QAction>
#include <QMenu>
#include <QApplication>
#include <QScrollBar>
#include <QWidget>
#include <cmath>

#include "tests/storm/Storm.h"

namespace storm {

namespace {

QWidget* shownWindow(const char* caption) {
    const QString title = QString::fromUtf8(caption);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == title) return window;
    return nullptr;
}

// The bar at this dialog-unit x (a horizontal unit is one and a half pixels).
QScrollBar* barAt(const char* caption, int unitsX, bool horizontal) {
    QWidget* window = shownWindow(caption);
    if (window == nullptr) return nullptr;
    QScrollBar* best = nullptr;
    double bestDistance = 1e9;
    for (QScrollBar* bar : window->findChildren<QScrollBar*>()) {
        if ((bar->orientation() == Qt::Horizontal) != horizontal) continue;
        const double distance = std::fabs(bar->geometry().x() - unitsX * 1.5);
        if (distance < bestDistance) {
            best = bar;
            bestDistance = distance;
        }
    }
    return bestDistance <= 2 ? best : nullptr;
}

int between(Run& run, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(run.random);
}

}  // namespace

bool widgetScroll(Run& run, const char* caption, int unitsX, bool horizontal) {
    QScrollBar* bar = barAt(caption, unitsX, horizontal);
    if (bar == nullptr) return false;
    static constexpr QAbstractSlider::SliderAction Steps[] = {
        QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderSingleStepAdd,
        QAbstractSlider::SliderPageStepSub,   QAbstractSlider::SliderPageStepAdd,
        QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
    const int choice = between(run, 0, 6);
    if (choice < 6) {
        note(run, "  through the toolkit: slider action " + std::to_string(Steps[choice]));
        bar->triggerAction(Steps[choice]);
        return true;
    }
    // A drag: press on the thumb, a few moves, release.
    note(run, "  through the toolkit: thumb drag");
    bar->setSliderDown(true);
    for (int moves = between(run, 1, 3); moves > 0; --moves)
        bar->setSliderPosition(between(run, bar->minimum(), bar->maximum()));
    bar->setSliderDown(false);
    return true;
}

bool widgetMenu(const char* caption, const char* itemText) {
    QWidget* window = shownWindow(caption);
    if (window == nullptr) return false;
    const QString text = QString::fromUtf8(itemText);
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->text() == text && !action->isSeparator() && action->menu() == nullptr) {
            action->trigger();
            return true;
        }
    }
    return false;
}

}  // namespace storm
