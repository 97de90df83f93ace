#include "platform/ImageWrite.h"

#include <QImage>
#include <QImageWriter>
#include <QString>
#include <cstring>

namespace platform {

bool writeGreyPng(const std::string& path, const std::uint8_t* pixels, int width, int height,
                  std::string& errorText) {
    QImage image(width, height, QImage::Format_Grayscale8);
    if (image.isNull()) {
        errorText = "cannot make a picture of " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels";
        return false;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width));
    QImageWriter writer(QString::fromStdString(path), "png");
    if (!writer.write(image)) {
        errorText = writer.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace platform
