#include "platform/PictureFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

namespace platform {

namespace {

const QStringList& pictureSuffixes() {
    static const QStringList suffixes = [] {
        QStringList list;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            list << QStringLiteral("*.") + QString::fromLatin1(format);
        return list;
    }();
    return suffixes;
}

}  // namespace

bool listPictureFiles(const std::string& folder, std::vector<std::string>& names,
                      std::string& errorText) {
    names.clear();
    const QDir dir(QString::fromStdString(folder));
    const QFileInfo info(dir.path());
    if (!info.exists()) {
        errorText = "cannot read " + folder + ": no such folder";
        return false;
    }
    if (!info.isDir()) {
        errorText = "cannot read " + folder + ": not a folder";
        return false;
    }
    if (!info.isReadable()) {
        errorText = "cannot read " + folder + ": permission denied";
        return false;
    }
    const QStringList found =
        dir.entryList(pictureSuffixes(), QDir::Files | QDir::Readable, QDir::NoSort);
    for (const QString& name : found) names.push_back(name.toStdString());
    // Byte order of the names: the same on every system and locale.
    std::sort(names.begin(), names.end());
    return true;
}

}  // namespace platform
