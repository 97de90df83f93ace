// Reading picture files as transmitter pictures.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "platform/ImageRead.h"

namespace {

std::string saved(const QTemporaryDir& dir, const char* name, const QImage& image) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(image.save(path));
    return path.toStdString();
}

}  // namespace

TEST(ImageRead, ReadsPicturesTopRowLastAndScalesOtherSizes) {
    QTemporaryDir dir;
    QImage exact(96, 120, QImage::Format_RGB32);
    exact.fill(Qt::black);
    for (int x = 0; x < 96; ++x) exact.setPixel(x, 0, qRgb(255, 0, 0));
    exact.setPixel(95, 60, qRgb(0, 0, 255));
    QImage large(192, 240, QImage::Format_RGB32);
    large.fill(Qt::black);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 192; ++x) large.setPixel(x, y, qRgb(0, 255, 0));
    QImage transparent(96, 120, QImage::Format_ARGB32);
    transparent.fill(qRgba(255, 255, 255, 0));

    ScreenPicture picture;
    std::string error;
    ASSERT_TRUE(platform::readPictureFile(saved(dir, "exact.png", exact), picture, error)) << error;
    EXPECT_EQ(pictureWord(picture, 119, 0), 0x7C00);
    EXPECT_EQ(pictureWord(picture, 119, 95), 0x7C00);
    EXPECT_EQ(pictureWord(picture, 118, 0), 0);
    EXPECT_EQ(pictureWord(picture, 59, 95), 0x001F);
    EXPECT_EQ(pictureWord(picture, 0, 0), 0);

    ASSERT_TRUE(platform::readPictureFile(saved(dir, "large.bmp", large), picture, error)) << error;
    EXPECT_EQ(pictureWord(picture, 119, 10), 0x03E0);  // top half green
    EXPECT_EQ(pictureWord(picture, 62, 50), 0x03E0);
    EXPECT_EQ(pictureWord(picture, 57, 50), 0);        // bottom half black
    EXPECT_EQ(pictureWord(picture, 0, 95), 0);

    ASSERT_TRUE(platform::readPictureFile(saved(dir, "clear.png", transparent), picture, error));
    EXPECT_EQ(pictureWord(picture, 60, 60), 0);  // nothing drawn over black
}

TEST(ImageRead, NamesWhatIsWrongWithAFile) {
    QTemporaryDir dir;
    const std::string empty = dir.filePath(QStringLiteral("empty.png")).toStdString();
    const std::string text = dir.filePath(QStringLiteral("notes.png")).toStdString();
    QFile(QString::fromStdString(empty)).open(QIODevice::WriteOnly);
    QFile notes(QString::fromStdString(text));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("these are not pixels\n");
    notes.close();
    QImage grey(96, 120, QImage::Format_RGB32);
    grey.fill(Qt::gray);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        grey.save(&buffer, "PNG");
    }
    const std::string cut = dir.filePath(QStringLiteral("cut.png")).toStdString();
    QFile cutFile(QString::fromStdString(cut));
    ASSERT_TRUE(cutFile.open(QIODevice::WriteOnly));
    cutFile.write(png.left(png.size() / 2));
    cutFile.close();

    const struct {
        std::string path;
        const char* says;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.png")).toStdString(), "no such file"},
        {dir.path().toStdString(), "directory"},
        {empty, "empty"},
        {text, "not a picture"},
        {cut, "cannot read"},
    };
    for (const auto& c : cases) {
        ScreenPicture picture;
        picture.words.fill(0x1234);
        std::string error;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(platform::readPictureFile(c.path, picture, error)) << c.path;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // the decoder kept quiet
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}
