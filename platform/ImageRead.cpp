#include "platform/ImageRead.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <cstdio>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/ImageToPicture.h"

namespace platform {

namespace {

// Image decoders report trouble through Qt's messages as well, and some
// (libpng) straight to the error stream; while a file is read, the last Qt
// message is kept for the error text and the error stream is set aside, so
// that a bad file gives one line of error.
QString lastDecoderMessage;

void keepDecoderMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    lastDecoderMessage = message;
}

// Reads the image; a null image with `noPixels` set when the file says its
// picture is 0 pixels wide or high.
QImage readQuietly(QImageReader& reader, bool& noPixels) {
    lastDecoderMessage.clear();
    const QtMessageHandler previousHandler = qInstallMessageHandler(keepDecoderMessage);
#if defined(Q_OS_UNIX)
    std::fflush(stderr);
    const int savedError = ::dup(STDERR_FILENO);
    const int nowhere = ::open("/dev/null", O_WRONLY);
    if (savedError >= 0 && nowhere >= 0) ::dup2(nowhere, STDERR_FILENO);
    if (nowhere >= 0) ::close(nowhere);
#endif
    const QSize size = reader.size();
    noPixels = size.isValid() && size.isEmpty();
    QImage image = noPixels ? QImage() : reader.read();
#if defined(Q_OS_UNIX)
    std::fflush(stderr);
    if (savedError >= 0) {
        ::dup2(savedError, STDERR_FILENO);
        ::close(savedError);
    }
#endif
    qInstallMessageHandler(previousHandler);
    return image;
}

}  // namespace

bool readPictureFile(const std::string& path, tx::ScreenPicture& picture, std::string& errorText) {
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
    bool noPixels = false;
    QImage image = readQuietly(reader, noPixels);
    if (noPixels) {
        errorText = "cannot read " + path + ": the picture has no pixels";
        return false;
    }
    if (image.isNull()) {
        std::string reason = reader.error() == QImageReader::UnsupportedFormatError
                                 ? "not a picture format this program reads"
                                 : reader.errorString().toStdString();
        if (!lastDecoderMessage.isEmpty())
            reason += " (" + lastDecoderMessage.simplified().toStdString() + ")";
        errorText = "cannot read " + path + ": " + reason;
        return false;
    }
    if (image.width() <= 0 || image.height() <= 0) {
        errorText = "cannot read " + path + ": the picture has no pixels";
        return false;
    }
    if (image.hasAlphaChannel()) {
        // Transparent parts show the page behind them, as a viewer shows
        // the file: composed over white.
        QImage page(image.size(), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.drawImage(0, 0, image);
        painter.end();
        image = page;
    }
    fitImageToPicture(image, picture);
    return true;
}

}  // namespace platform
