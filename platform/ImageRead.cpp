#include "platform/ImageRead.h"

#include <QFileInfo>
#include <QImageReader>

#include "platform/Rgb555.h"

namespace platform {

bool readPictureFile(const std::string& path, ScreenPicture& picture, std::string& errorText) {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists()) {
        errorText = "cannot read " + path + ": no such file";
        return false;
    }
    if (info.isDir()) {
        errorText = "cannot read " + path + ": it is a directory";
        return false;
    }
    if (info.size() == 0) {
        errorText = "cannot read " + path + ": the file is empty";
        return false;
    }
    QImageReader reader(name);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
        const std::string reason = reader.error() == QImageReader::UnsupportedFormatError
                                       ? "not a picture format this program reads"
                                       : reader.errorString().toStdString();
        errorText = "cannot read " + path + ": " + reason;
        return false;
    }
    if (image.width() <= 0 || image.height() <= 0) {
        errorText = "cannot read " + path + ": the picture has no pixels";
        return false;
    }
    if (image.width() != PictureColumns || image.height() != PictureRows)
        image = image.scaled(PictureColumns, PictureRows, Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    picture = ScreenPicture{};
    copyImageToPicture(image, 0, 0, picture);
    return true;
}

}  // namespace platform
