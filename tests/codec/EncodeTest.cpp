// nbtvcodec encode: the samples it writes, and the errors it gives.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <sndfile.h>

#include <memory>
#include <string>
#include <vector>

#include "codec/Codec.h"
#include "transmitter/Synthesis.h"

using namespace tx;

namespace {

int encode(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return runEncode(static_cast<int>(argv.size()), argv.data());
}

// A picture whose words survive a trip through 8-bit colour unchanged.
ScreenPicture pattern() {
    ScreenPicture picture;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column)
            setPictureWord(picture, row, column,
                           static_cast<std::uint16_t>((row * 7 + column) % 32 << 10 | column % 32 << 5 | row % 32));
    return picture;
}

std::string rawFile(const QTemporaryDir& dir, const char* name, const ScreenPicture& picture, int cut = 0) {
    QByteArray bytes;
    for (std::uint16_t word : picture.words) bytes.append(char(word & 0xFF)).append(char(word >> 8));
    if (cut > 0) bytes.chop(cut);
    if (cut < 0) bytes.append(QByteArray(-cut, '\0'));
    QFile file(dir.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName().toStdString();
}

std::string pngFile(const QTemporaryDir& dir, const ScreenPicture& picture) {
    QImage image(PictureColumns, PictureRows, QImage::Format_RGB32);
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column) {
            const int w = pictureWord(picture, row, column);
            image.setPixel(column, PictureRows - 1 - row, qRgb((w >> 10 & 31) << 3, (w >> 5 & 31) << 3, (w & 31) << 3));
        }
    const QString path = dir.filePath(QStringLiteral("card.png"));
    EXPECT_TRUE(image.save(path));
    return path.toStdString();
}

}  // namespace

TEST(Encode, WritesTheTransmittersFramesBackToBack) {
    QTemporaryDir dir;
    const std::string fromRaw = dir.filePath(QStringLiteral("raw.wav")).toStdString();
    const std::string fromPng = dir.filePath(QStringLiteral("png.wav")).toStdString();
    ASSERT_EQ(encode({rawFile(dir, "card.raw", pattern()), "--raw-words", "--line-sync", "-o", fromRaw,
                      "--frames", "3"}), 0);
    ASSERT_EQ(encode({"--line-sync", pngFile(dir, pattern()), "--frames", "3", "-o", fromPng}), 0);

    FrameBuffer expected;
    synthesizeFrame(pattern(), TransmitterSettings{0, 0, -1, 162}, expected);
    for (const std::string& path : {fromRaw, fromPng}) {
        SCOPED_TRACE(path);
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        std::vector<short> samples(2 * 3 * FrameSamples + 2);
        EXPECT_EQ(sf_readf_short(file, samples.data(), 3 * FrameSamples + 1), 3 * FrameSamples);
        sf_close(file);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(info.samplerate, 10000);
        ASSERT_EQ(info.channels, 2);
        for (int n = 0; n < 3 * FrameSamples; ++n) {
            ASSERT_EQ(samples[2 * n], expected.frames[n % FrameSamples].left) << n;
            ASSERT_EQ(samples[2 * n + 1], 0) << n;
        }
    }
}

TEST(Encode, RefusesBadInputInOneLineAndLeavesNoOutput) {
    QTemporaryDir dir;
    ScreenPicture tooBright = pattern();
    tooBright.words[5000] = 0x8000;
    const std::string good = rawFile(dir, "good.raw", pattern());
    const std::string out = dir.filePath(QStringLiteral("out.wav")).toStdString();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {good, "--raw-words"},
        {"-o", out},
        {good, "--raw-words", "-o"},
        {good, "--raw-words", "-o", out, "--frames", "0"},
        {good, "--raw-words", "-o", out, "--frames", "2x"},
        {good, "--raw-words", "-o", out, "--frames", "100001"},
        {good, "--raw-words", "-o", out, "--colour"},
        {good, good, "--raw-words", "-o", out},
        {dir.filePath(QStringLiteral("missing.raw")).toStdString(), "--raw-words", "-o", out},
        {rawFile(dir, "short.raw", pattern(), 2), "--raw-words", "-o", out},
        {rawFile(dir, "long.raw", pattern(), -1), "--raw-words", "-o", out},
        {rawFile(dir, "bright.raw", tooBright), "--raw-words", "-o", out},
        {good, "-o", out},  // raw words are no picture file
        {good, "--raw-words", "-o", dir.filePath(QStringLiteral("no/dir/out.wav")).toStdString()},
        {good, "--raw-words", "-o", dir.path().toStdString()},
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments.empty() ? "" : arguments.back());
        testing::internal::CaptureStderr();
        EXPECT_NE(encode(arguments), 0);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(message.rfind("nbtvcodec: ", 0), 0u) << message;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
    }
    // Only the inputs are there: no output, not even a temporary file.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}
