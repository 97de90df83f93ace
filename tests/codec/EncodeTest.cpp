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

namespace {

int encode(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return runEncode(static_cast<int>(argv.size()), argv.data());
}

struct SoundFile {
    SF_INFO info{};
    std::vector<short> samples;  // interleaved
};

SoundFile readSound(const std::string& path) {
    SoundFile sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
    if (file == nullptr) return sound;
    sound.samples.resize(static_cast<std::size_t>(sound.info.frames * sound.info.channels));
    sf_readf_short(file, sound.samples.data(), sound.info.frames);
    sf_close(file);
    return sound;
}

// A picture whose every word survives a trip through 8-bit colour.
ScreenPicture patternPicture() {
    ScreenPicture picture;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column)
            setPictureWord(picture, row, column,
                           static_cast<std::uint16_t>(((row * 7 + column) % 32) << 10 |
                                                      (column % 32) << 5 | (row % 32)));
    return picture;
}

std::string writeRawWords(const QTemporaryDir& dir, const char* name, const ScreenPicture& picture,
                          int extraBytes = 0) {
    QByteArray bytes;
    for (std::uint16_t word : picture.words) {
        bytes.append(static_cast<char>(word & 0xFF));
        bytes.append(static_cast<char>(word >> 8));
    }
    bytes.append(QByteArray(extraBytes > 0 ? extraBytes : 0, '\0'));
    if (extraBytes < 0) bytes.chop(-extraBytes);
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path.toStdString();
}

QImage pictureImage(const ScreenPicture& picture) {
    QImage image(PictureColumns, PictureRows, QImage::Format_RGB32);
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column) {
            const int word = pictureWord(picture, row, column);
            image.setPixel(column, PictureRows - 1 - row,
                           qRgb((word >> 10 & 31) << 3, (word >> 5 & 31) << 3, (word & 31) << 3));
        }
    return image;
}

}  // namespace

TEST(Encode, WritesTheTransmittersFramesBackToBack) {
    QTemporaryDir dir;
    const ScreenPicture picture = patternPicture();
    const std::string raw = writeRawWords(dir, "card.raw", picture);
    const std::string png = dir.filePath(QStringLiteral("card.png")).toStdString();
    ASSERT_TRUE(pictureImage(picture).save(QString::fromStdString(png)));
    const std::string fromRaw = dir.filePath(QStringLiteral("raw.wav")).toStdString();
    const std::string fromPng = dir.filePath(QStringLiteral("png.wav")).toStdString();

    ASSERT_EQ(encode({raw, "--raw-words", "--line-sync", "-o", fromRaw, "--frames", "3"}), 0);
    ASSERT_EQ(encode({"--line-sync", png, "--frames", "3", "-o", fromPng}), 0);

    TransmitterSettings settings;
    settings.lineSync = -1;
    settings.syncPulseLevel = 162;
    auto expected = std::make_unique<FrameBuffer>();
    synthesizeFrame(picture, settings, *expected);

    for (const std::string& path : {fromRaw, fromPng}) {
        SCOPED_TRACE(path);
        const SoundFile sound = readSound(path);
        EXPECT_EQ(sound.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(sound.info.samplerate, 10000);
        ASSERT_EQ(sound.info.channels, 2);
        ASSERT_EQ(sound.info.frames, 3 * FrameSamples);
        for (int n = 0; n < 3 * FrameSamples; ++n) {
            ASSERT_EQ(sound.samples[2 * n], expected->frames[n % FrameSamples].left) << n;
            ASSERT_EQ(sound.samples[2 * n + 1], 0) << n;
        }
    }
}

TEST(Encode, RefusesBadInputAndLeavesNoOutput) {
    QTemporaryDir dir;
    ScreenPicture tooBright = patternPicture();
    tooBright.words[5000] = 0x8000;
    const std::string good = writeRawWords(dir, "good.raw", patternPicture());
    const std::string shortFile = writeRawWords(dir, "short.raw", patternPicture(), -2);
    const std::string longFile = writeRawWords(dir, "long.raw", patternPicture(), 1);
    const std::string bright = writeRawWords(dir, "bright.raw", tooBright);
    const std::string out = dir.filePath(QStringLiteral("out.wav")).toStdString();
    const std::string missingDir = dir.filePath(QStringLiteral("no/such/dir/out.wav")).toStdString();

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
        {shortFile, "--raw-words", "-o", out},
        {longFile, "--raw-words", "-o", out},
        {bright, "--raw-words", "-o", out},
        {good, "-o", out},  // raw words are not a picture file
        {good, "--raw-words", "-o", missingDir},
        {good, "--raw-words", "-o", dir.path().toStdString()},
    };
    for (const auto& arguments : cases) {
        std::string shown;
        for (const std::string& a : arguments) shown += a + " ";
        SCOPED_TRACE(shown);
        testing::internal::CaptureStderr();
        const int status = encode(arguments);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(status, 0);
        EXPECT_EQ(message.rfind("nbtvcodec: ", 0), 0u) << message;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
    }
    // Nothing left behind, not even a temporary file.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}
