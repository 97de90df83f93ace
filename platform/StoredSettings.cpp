#include "platform/StoredSettings.h"

#include <QSettings>
#include <memory>

namespace platform {

namespace {

std::string programName = "nbtv";
std::unique_ptr<QSettings> store;

QSettings& settings() {
    if (store == nullptr || store->applicationName().toStdString() != programName)
        store = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("nbtv"),
                                            QString::fromStdString(programName));
    return *store;
}

}  // namespace

void setStoredSettingsName(const std::string& program) { programName = program; }

void setStoredSettingsFolder(const std::string& folder) {
    store.reset();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder));
}

bool readStoredSetting(const std::string& key, std::string& value) {
    QSettings& store = settings();
    store.sync();
    const QVariant stored = store.value(QString::fromStdString(key));
    if (!stored.isValid()) return false;
    value = stored.toString().toStdString();
    return true;
}

bool storeSetting(const std::string& key, const std::string& value) {
    QSettings& store = settings();
    store.setValue(QString::fromStdString(key), QString::fromStdString(value));
    store.sync();
    return store.status() == QSettings::NoError;
}

void clearStoredSettings() {
    QSettings& store = settings();
    store.clear();
    store.sync();
}

std::string storedSettingsFile() { return settings().fileName().toStdString(); }

}  // namespace platform
