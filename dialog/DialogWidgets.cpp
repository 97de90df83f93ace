#include "dialog/DialogWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

namespace dialog {

using namespace win;

DialogWidget::DialogWidget(Window* r) : QWidget(nullptr), record(r) {}

void DialogWidget::closeEvent(QCloseEvent* event) {
    // The window is never closed by the toolkit itself: the close box is the
    // system close command, which ends the dialog unless the handler takes it.
    event->ignore();
    if (record->alive) route(record, WM_SYSCOMMAND, SC_CLOSE, 0);
}

PictureOverlay::PictureOverlay(QWidget* parent, Window* r) : QWidget(parent), record_(r) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void PictureOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const auto& [position, image] : record_->pictures) {
        painter.drawImage(QPoint(position.first, position.second), image);
        const auto note = record_->notes.find(position);
        if (note == record_->notes.end()) continue;
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(position.first, position.second), image.size()),
                         Qt::AlignCenter | Qt::TextWordWrap, note->second);
    }
}

namespace {

void notifyClick(Window* dialog, Window* control) {
    if (!dialog->alive) return;
    route(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control->id), 0),
          reinterpret_cast<LPARAM>(control));
}

// Scroll bars do not move by themselves: every user action becomes a
// scroll message, and the bar shows what the program then sets.
void wireScrollBar(Window* dialog, Window* control, QScrollBar* bar) {
    const UINT message = bar->orientation() == Qt::Vertical ? WM_VSCROLL : WM_HSCROLL;
    auto send = [dialog, control, message](WORD code, int thumb) {
        if (dialog->alive)
            route(dialog, message, MAKEWPARAM(code, static_cast<WORD>(thumb)),
                  reinterpret_cast<LPARAM>(control));
    };
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar, send](int action) {
        const int thumb = bar->sliderPosition();
        WORD code;
        switch (action) {
            case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
            case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
            case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
            case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
            case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
            case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
            case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
            default: return;
        }
        if (code != SB_THUMBTRACK) bar->setSliderPosition(bar->value());
        send(code, thumb);
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [bar, send]() {
        send(SB_THUMBPOSITION, bar->sliderPosition());
        send(SB_ENDSCROLL, 0);
    });
}

Qt::Alignment staticAlignment(DWORD style) {
    Qt::Alignment align = (style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    if ((style & 0x3) == SS_CENTER) return align | Qt::AlignHCenter;
    if ((style & 0x3) == SS_RIGHT) return align | Qt::AlignRight;
    return align | Qt::AlignLeft;
}

}  // namespace

QWidget* makeControl(Window* dialog, Window* control, const QString& text) {
    QWidget* parent = dialog->client;
    const DWORD style = control->style;
    QWidget* widget = nullptr;
    switch (control->kind) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, parent);
            button->setAutoDefault(false);
            if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) button->setDefault(true);
            QObject::connect(button, &QPushButton::clicked, button,
                             [dialog, control]() { notifyClick(dialog, control); });
            widget = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(text, parent);
            QObject::connect(box, &QCheckBox::clicked, box,
                             [dialog, control]() { notifyClick(dialog, control); });
            widget = box;
            break;
        }
        case ControlKind::RadioButton: {
            auto* radio = new AutoRadioButton(text, parent);
            radio->setAutoExclusive(false);
            if (dialog->radioGroup == nullptr) {
                dialog->radioGroup = new QButtonGroup(dialog->widget);
                dialog->radioGroup->setExclusive(false);
            }
            QButtonGroup* group = dialog->radioGroup;
            group->addButton(radio);
            QObject::connect(radio, &QRadioButton::clicked, radio, [dialog, control, group, radio]() {
                for (QAbstractButton* other : group->buttons())
                    if (other != radio) other->setChecked(false);
                notifyClick(dialog, control);
            });
            widget = radio;
            break;
        }
        case ControlKind::GroupBox: {
            auto* box = new QGroupBox(text, parent);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            widget = box;
            break;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(text, parent);
            label->setAlignment(staticAlignment(style));
            label->setWordWrap(!(style & SS_CENTERIMAGE));
            if (style & SS_SUNKEN) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            widget = label;
            break;
        }
        case ControlKind::ScrollBar: {
            auto* bar = new QScrollBar((style & SBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent);
            bar->setRange(0, 0);
            bar->setSingleStep(1);
            bar->setPageStep(1);
            wireScrollBar(dialog, control, bar);
            widget = bar;
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(text, parent);
            edit->setReadOnly(style & ES_READONLY);
            edit->setFrame(control->exStyle & WS_EX_CLIENTEDGE);
            widget = edit;
            break;
        }
    }
    if (control->kind == ControlKind::Label || control->kind == ControlKind::GroupBox)
        widget->setFocusPolicy(Qt::NoFocus);
    else
        widget->setFocusPolicy((style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    if (control->kind == ControlKind::GroupBox) widget->lower();
    return widget;
}

}  // namespace dialog
