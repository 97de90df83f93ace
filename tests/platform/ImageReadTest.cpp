// Reading picture files as transmitter pictures.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "platform/ImageRead.h"

using namespace tx;

namespace {

std::string saved(const QTemporaryDir& dir, const char* name, const QImage& image) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(image.save(path));
    return path.toStdString();
}

std::string written(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName().toStdString();
}

}  // namespace

TEST(ImageRead, ReadsPicturesTopRowLastAndScalesOtherSizes) {
    QTemporaryDir dir;
    QImage exact(96, 120, QImage::Format_RGB32);
    exact.fill(Qt::black);
    for (int x = 0; x < 96; ++x) exact.setPixel(x, 0, qRgb(255, 0, 0));
    exact.setPixel(95, 60, qRgb(0, 0, 255));
    QImage large(192, 240, QImage::Format_RGB32);  // green above, black below
    large.fill(Qt::black);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 192; ++x) large.setPixel(x, y, qRgb(0, 255, 0));

    ScreenPicture picture;
    std::string error;
    ASSERT_TRUE(platform::readPictureFile(saved(dir, "exact.png", exact), picture, error)) << error;
    EXPECT_EQ(pictureWord(picture, 119, 0), 0x7C00);
    EXPECT_EQ(pictureWord(picture, 118, 0), 0);
    EXPECT_EQ(pictureWord(picture, 59, 95), 0x001F);

    ASSERT_TRUE(platform::readPictureFile(saved(dir, "large.bmp", large), picture, error)) << error;
    EXPECT_EQ(pictureWord(picture, 119, 10), 0x03E0);
    EXPECT_EQ(pictureWord(picture, 62, 50), 0x03E0);
    EXPECT_EQ(pictureWord(picture, 57, 50), 0);
}

TEST(ImageRead, NamesWhatIsWrongWithAFileInOneQuietLine) {
    QTemporaryDir dir;
    QImage grey(96, 120, QImage::Format_RGB32);
    grey.fill(Qt::gray);
    QFile png(QString::fromStdString(saved(dir, "grey.png", grey)));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray pngBytes = png.readAll();

    const struct {
        std::string path;
        const char* says;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.png")).toStdString(), "no such file"},
        {dir.path().toStdString(), "directory"},
        {written(dir, "empty.png", {}), "empty"},
        {written(dir, "notes.png", "these are not pixels\n"), "not a picture"},
        {written(dir, "cut.png", pngBytes.left(pngBytes.size() / 2)), "cannot read"},
    };
    for (const auto& c : cases) {
        ScreenPicture picture;
        std::string error;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(platform::readPictureFile(c.path, picture, error)) << c.path;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // decoders kept quiet
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}
