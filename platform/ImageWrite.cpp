#include "platform/ImageWrite.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <cstring>

namespace platform {

namespace {

bool greyImage(const std::uint8_t* pixels, int width, int height, QImage& image, std::string& errorText) {
    image = QImage(width, height, QImage::Format_Grayscale8);
    if (image.isNull()) {
        errorText = "cannot make a picture of " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels";
        return false;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width));
    return true;
}

}  // namespace

bool encodeGreyPng(const std::uint8_t* pixels, int width, int height, std::string& bytes,
                   std::string& errorText) {
    QImage image;
    if (!greyImage(pixels, width, height, image, errorText)) return false;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        errorText = writer.errorString().toStdString();
        return false;
    }
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}

}  // namespace platform
