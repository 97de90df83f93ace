// The station's questions: text, files, folders and push-to-talk.
#include "dialog/StationQuestions.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringList>

#include "dialog/RegionOverlay.h"
#include "dialog/WindowRecord.h"

namespace dialog {

namespace {

TextHook textHook = nullptr;
OpenNameHook openNameHook = nullptr;
PushToTalkHook pushToTalkHook = nullptr;

using core::PushToTalkKind;

// The push-to-talk window: one row per setting, those the kind does not
// use greyed out.
class PushToTalkWindow : public QDialog {
public:
    PushToTalkWindow(const core::PushToTalkChoice& choice, int leadMs, const std::string& models) {
        setWindowTitle(QStringLiteral("Push-to-talk"));
        auto* form = new QFormLayout(this);
        kind_ = new QComboBox;
        kind_->addItems({QStringLiteral("None"), QStringLiteral("rigctld (network)"),
                         QStringLiteral("Radio's CAT command"), QStringLiteral("RTS line of a serial port"),
                         QStringLiteral("DTR line of a serial port")});
        kind_->setCurrentIndex(static_cast<int>(choice.kind));
        form->addRow(QStringLiteral("&Keying:"), kind_);

        host_ = new QLineEdit(fromText(choice.host));
        form->addRow(QStringLiteral("&Host:"), host_);
        port_ = new QSpinBox;
        port_->setRange(1, 65535);
        port_->setValue(choice.port);
        form->addRow(QStringLiteral("&Port:"), port_);

        model_ = new QComboBox;
        for (const QString& line : fromText(models).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            model_->addItem(line, line.section(QLatin1Char(' '), 0, 0).toInt());
        model_->setEditable(true);
        model_->setInsertPolicy(QComboBox::NoInsert);
        const int found = model_->findData(choice.model);
        if (found >= 0) {
            model_->setCurrentIndex(found);
        } else {
            model_->setEditText(choice.model > 0 ? QString::number(choice.model) : QString());
        }
        form->addRow(QStringLiteral("Radio &model:"), model_);

        device_ = new QLineEdit(fromText(choice.device));
        device_->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
        form->addRow(QStringLiteral("&Serial port:"), device_);
        baud_ = new QComboBox;
        baud_->addItem(QStringLiteral("The radio's own"), 0);
        for (int speed : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
            baud_->addItem(QString::number(speed), speed);
        baud_->setCurrentIndex(std::max(0, baud_->findData(choice.baud)));
        form->addRow(QStringLiteral("S&peed:"), baud_);

        lead_ = new QSpinBox;
        lead_->setRange(0, 2000);
        lead_->setSuffix(QStringLiteral(" ms"));
        lead_->setValue(leadMs);
        form->addRow(QStringLiteral("&Lead before sending:"), lead_);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        form->addRow(buttons);
        connect(kind_, &QComboBox::currentIndexChanged, this, [this] { enableRows(); });
        enableRows();
    }

    void read(core::PushToTalkChoice& choice, int& leadMs) const {
        choice.kind = static_cast<PushToTalkKind>(kind_->currentIndex());
        choice.host = host_->text().trimmed().toStdString();
        choice.port = port_->value();
        const int index = model_->findText(model_->currentText());
        choice.model = index >= 0 ? model_->itemData(index).toInt()
                                  : model_->currentText().section(QLatin1Char(' '), 0, 0).toInt();
        choice.device = device_->text().trimmed().toStdString();
        choice.baud = baud_->currentData().toInt();
        leadMs = lead_->value();
    }

private:
    void enableRows() {
        const auto kind = static_cast<PushToTalkKind>(kind_->currentIndex());
        const bool network = kind == PushToTalkKind::Rigctld;
        const bool rig = kind == PushToTalkKind::Rig;
        const bool serial = rig || kind == PushToTalkKind::Rts || kind == PushToTalkKind::Dtr;
        host_->setEnabled(network);
        port_->setEnabled(network);
        model_->setEnabled(rig);
        baud_->setEnabled(rig);
        device_->setEnabled(serial);
        lead_->setEnabled(kind != PushToTalkKind::None);
    }

    QComboBox* kind_;
    QLineEdit* host_;
    QSpinBox* port_;
    QComboBox* model_;
    QLineEdit* device_;
    QComboBox* baud_;
    QSpinBox* lead_;
};

}  // namespace

bool askText(const std::string& caption, const std::string& label, std::string& text) {
    if (textHook != nullptr) return textHook(caption, text);
    bool ok = false;
    const QString answer = QInputDialog::getText(nullptr, fromText(caption), fromText(label),
                                                 QLineEdit::Normal, fromText(text), &ok);
    if (ok) text = answer.toStdString();
    return ok;
}

std::string askOpenFileName(const std::string& caption, const std::string& proposedPath,
                            const std::string& filter) {
    if (openNameHook != nullptr) return openNameHook(caption, proposedPath);
    return QFileDialog::getOpenFileName(nullptr, fromText(caption), fromText(proposedPath), fromText(filter))
        .toStdString();
}

std::string askFolderName(const std::string& caption, const std::string& proposedPath) {
    if (openNameHook != nullptr) return openNameHook(caption, proposedPath);
    return QFileDialog::getExistingDirectory(nullptr, fromText(caption), fromText(proposedPath))
        .toStdString();
}

bool askPushToTalk(core::PushToTalkChoice& choice, int& leadMs, const std::string& models) {
    if (pushToTalkHook != nullptr) return pushToTalkHook(choice, leadMs);
    PushToTalkWindow window(choice, leadMs, models);
    if (window.exec() != QDialog::Accepted) return false;
    window.read(choice, leadMs);
    return true;
}

void cancelQuestions() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) continue;
        if (auto* question = qobject_cast<QDialog*>(widget)) {
            question->reject();
        } else if (widget->objectName() == RegionOverlayName) {
            widget->close();
        }
    }
}

void setTextHook(TextHook hook) { textHook = hook; }
void setOpenNameHook(OpenNameHook hook) { openNameHook = hook; }
void setPushToTalkHook(PushToTalkHook hook) { pushToTalkHook = hook; }

}  // namespace dialog
