// The picture sources: a picture file, a folder shown in turn and a
// camera reach the signal exactly as a picture of the screen would, and a
// source that gives nothing sends black and says so.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <filesystem>

#include "platform/ImageRead.h"
#include "tests/transmitter/StationTestSupport.h"

using namespace station_test;
using namespace win;

namespace {

// A picture of a given shade with a bar whose place tells pictures apart.
void writePicture(const QString& path, int shade, int bar, QSize size = QSize(160, 200)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(shade, shade / 2, 255 - shade));
    for (int y = 0; y < size.height(); ++y)
        for (int x = bar; x < bar + 20 && x < size.width(); ++x) image.setPixel(x, y, qRgb(250, 250, 250));
    ASSERT_TRUE(image.save(path));
}

tx::ScreenPicture pictureOfFile(const QString& path) {
    tx::ScreenPicture picture;
    std::string errorText;
    EXPECT_TRUE(platform::readPictureFile(path.toStdString(), picture, errorText)) << errorText;
    return picture;
}

StationCommandLine sending(SourceKind kind, const QString& path) {
    StationCommandLine given = unstored();
    given.source = SourceChoice{kind, path.toStdString()};
    return given;
}

// Plays `count` whole frames, each completion handled as it comes.
void play(int count) {
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(wavescript::completeNextOutput());
        dialog::processPendingEvents();
    }
}

}  // namespace

using PictureSources = StationTest;

TEST_F(PictureSources, APictureFileIsSentAsNbtvcodecEncodesItAndFollowsChangesToTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("card.png");
    writePicture(path, 90, 10);
    const tx::FrameBuffer first = frameOf(pictureOfFile(path));
    withStation(sending(SourceKind::Picture, path), [&](HWND w) {
        play(2);
        EXPECT_EQ(previewNote(w), "");
        // Changed on disk: read again for the next frame built.
        writePicture(path, 200, 60, QSize(96, 120));
        play(3);
    });
    const tx::FrameBuffer second = frameOf(pictureOfFile(path));
    const std::vector<std::int16_t> played = wavescript::playedSamples();
    // Frames are built two ahead of the one ending: the four built before
    // the change show the first picture, the next the second.
    for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(playedFrameIs(played, i, first)) << i;
    EXPECT_TRUE(playedFrameIs(played, 4, second));
    EXPECT_NE(std::memcmp(&first, &second, sizeof first), 0);
}

TEST_F(PictureSources, AMissingPictureSendsBlackWithANote) {
    QTemporaryDir dir;
    withStation(sending(SourceKind::Picture, dir.filePath("gone.png")), [](HWND w) {
        EXPECT_EQ(previewNote(w), "No picture file");
        play(2);
    });
    const std::vector<std::int16_t> played = wavescript::playedSamples();
    EXPECT_TRUE(playedFrameIs(played, 0, frameOf(tx::ScreenPicture{})));
    EXPECT_TRUE(playedFrameIs(played, 1, frameOf(tx::ScreenPicture{})));
}

TEST_F(PictureSources, AFolderShowsEachPictureForItsFramesInNameOrderAndTakesInNewOnes) {
    QTemporaryDir dir;
    writePicture(dir.filePath("b.png"), 60, 0);
    writePicture(dir.filePath("a.jpg"), 120, 30);
    writePicture(dir.filePath("c.png"), 180, 60);
    ASSERT_TRUE(QFile(dir.filePath("notes.txt")).open(QIODevice::WriteOnly));  // not a picture
    const tx::FrameBuffer a = frameOf(pictureOfFile(dir.filePath("a.jpg")));
    const tx::FrameBuffer b = frameOf(pictureOfFile(dir.filePath("b.png")));
    const tx::FrameBuffer c = frameOf(pictureOfFile(dir.filePath("c.png")));
    StationCommandLine given = sending(SourceKind::Folder, dir.path());
    given.framesPerPicture = 2;
    withStation(given, [&](HWND) {
        play(5);
        // A picture added while the show runs takes its turn in name order.
        writePicture(dir.filePath("bb.png"), 240, 80);
        play(7);
    });
    const tx::FrameBuffer bb = frameOf(pictureOfFile(dir.filePath("bb.png")));
    const tx::FrameBuffer expected[] = {a, a, b, b, c, c, a, a, b, b, bb, bb};
    const std::vector<std::int16_t> played = wavescript::playedSamples();
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_TRUE(playedFrameIs(played, i, expected[i])) << "frame " << i;
}

TEST_F(PictureSources, AnEmptyFolderSendsBlackWithANoteUntilAPictureComes) {
    QTemporaryDir dir;
    withStation(sending(SourceKind::Folder, dir.path()), [&](HWND w) {
        EXPECT_EQ(previewNote(w), "No pictures in folder");
        writePicture(dir.filePath("first.png"), 100, 40);
        play(3);
        EXPECT_EQ(previewNote(w), "");
    });
    const std::vector<std::int16_t> played = wavescript::playedSamples();
    EXPECT_TRUE(playedFrameIs(played, 0, frameOf(tx::ScreenPicture{})));
    EXPECT_TRUE(playedFrameIs(played, 1, frameOf(tx::ScreenPicture{})));
    EXPECT_TRUE(playedFrameIs(played, 2, frameOf(pictureOfFile(dir.filePath("first.png")))));
}

TEST_F(PictureSources, ACameraSendsItsNewestFrames) {
    qputenv("NBTV_CAMERA_PIPELINE", "videotestsrc pattern=ball is-live=true");
    std::vector<tx::ScreenPicture> seen;
    withStation(sending(SourceKind::Camera, ""), [&](HWND w) {
        ASSERT_TRUE(eventually([&] {
            play(1);
            return previewNote(w).empty();
        }));
        // The ball moves: frames some time apart differ.
        play(1);
        const std::vector<std::int16_t> before = wavescript::playedSamples();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        play(3);
        const std::vector<std::int16_t> after = wavescript::playedSamples();
        const std::size_t frame = tx::FrameSamples * 2;
        EXPECT_NE(std::memcmp(&before[before.size() - frame], &after[after.size() - frame], frame * 2), 0);
    });
    qunsetenv("NBTV_CAMERA_PIPELINE");
}

TEST_F(PictureSources, ACameraThatFailsSendsBlackWithANote) {
    withStation(sending(SourceKind::Camera, "/dev/no-such-camera"), [](HWND w) {
        ASSERT_TRUE(eventually([w] {
            play(1);
            return previewNote(w) == "No camera";
        }));
        const std::vector<std::int16_t> played = wavescript::playedSamples();
        EXPECT_TRUE(playedFrameIs(played, played.size() / (tx::FrameSamples * 2) - 1,
                                  frameOf(tx::ScreenPicture{})));
    });
}
