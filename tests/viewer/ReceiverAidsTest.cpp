// The receiver's aids driven through its menus with scripted sound: saved
// pictures against the picture shown, the recording against the captured
// bytes and against a decode of it, the tuning display's markers, and the
// extra windows' check marks.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "codec/Codec.h"
#include "dialog/ToolWindows.h"
#include "tests/viewer/CaptureTestSupport.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/ReceiverAids.h"

using namespace win;
using namespace viewer_id;
namespace fs = std::filesystem;

namespace {

std::string answer;  // what the save-file question answers
std::string answerQuestion(const std::string&, const std::string&) { return answer; }

std::chrono::steady_clock::time_point fakeNow;
std::chrono::steady_clock::time_point fakeClock() { return fakeNow; }

class ViewerAids : public ScriptedSoundTest {
protected:
    void SetUp() override {
        ScriptedSoundTest::SetUp();
        home = fs::temp_directory_path() / ("nbtv-aids-" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
        // The desktop's Pictures folder is $HOME/Pictures when no user-dirs file names one.
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        dialog::setSaveFileHook(answerQuestion);
    }
    void TearDown() override {
        dialog::setSaveFileHook(nullptr);
        fs::remove_all(home);
        ScriptedSoundTest::TearDown();
    }
    fs::path home;
};

// The window's picture as grey bytes, top row first.
std::vector<std::uint8_t> shownGrey(HWND w) {
    std::vector<std::uint32_t> shown(PictureWidth * ShownRows);
    int width = 0, height = 0;
    EXPECT_TRUE(dialog::pictureAt(w, PictureLeft, PictureTop, width, height, shown.data(), static_cast<int>(shown.size())));
    std::vector<std::uint8_t> grey;
    for (std::uint32_t pixel : shown) grey.push_back(static_cast<std::uint8_t>(pixel & 0xFF));
    return grey;
}

std::vector<std::uint8_t> pngGrey(const fs::path& path) {
    const QImage image(QString::fromStdString(path.string()));
    EXPECT_EQ(image.format(), QImage::Format_Grayscale8) << path;
    EXPECT_EQ(image.size(), QSize(PictureWidth, ShownRows));
    std::vector<std::uint8_t> grey;
    for (int y = 0; y < image.height(); ++y)
        grey.insert(grey.end(), image.constScanLine(y), image.constScanLine(y) + image.width());
    return grey;
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::exists(folder))
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    return files;
}

void deliverFrame(int seed) {
    ASSERT_TRUE(wavescript::fillNextInput(wanderingTone(nbtv::FrameSamples, seed)));
    dialog::processPendingEvents();
}

QWidget* toolWindow(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == title) return widget;
    return nullptr;
}

}  // namespace

TEST_F(ViewerAids, SavePictureWritesTheShownPictureAndSaysWhyWhenItCannot) {
    withViewer([this](HWND w) {
        dialog::processPendingEvents();
        answer = (home / "first.png").string();
        deliverFrame(1);
        deliverFrame(2);
        dialog::sendMenuCommand(w, MenuSavePicture);
        EXPECT_EQ(pngGrey(answer), shownGrey(w));
        deliverFrame(3);
        dialog::sendMenuCommand(w, MenuSavePicture);  // the question answered with the same file
        EXPECT_EQ(pngGrey(answer), shownGrey(w));
        EXPECT_EQ(filesIn(home).size(), 1u);  // no temporary file left

        fs::create_directories(home / "taken.png");  // a folder where the file should go
        answer = (home / "taken.png").string();
        dialog::sendMenuCommand(w, MenuSavePicture);
        ASSERT_EQ(shownBoxes.size(), 1u);
        EXPECT_NE(shownBoxes[0].text.find(answer), std::string::npos);
        EXPECT_EQ(filesIn(home).size(), 2u);
        answer = "";  // cancelled: nothing happens
        dialog::sendMenuCommand(w, MenuSavePicture);
        EXPECT_EQ(shownBoxes.size(), 1u);
    });
}

TEST_F(ViewerAids, AutomaticSavingEveryTenSecondsNeverOverwrites) {
    withViewer([this](HWND w) {
        viewer.saving.clock = fakeClock;
        dialog::processPendingEvents();
        const fs::path folder = home / "Pictures" / "nbtv";
        dialog::sendMenuCommand(w, MenuAutoSave);
        EXPECT_TRUE(dialog::menuItemChecked(w, MenuAutoSave));
        deliverFrame(1);
        ASSERT_EQ(filesIn(folder).size(), 1u);
        EXPECT_EQ(pngGrey(filesIn(folder)[0]), shownGrey(w));
        fakeNow += std::chrono::seconds(9);
        deliverFrame(2);
        EXPECT_EQ(filesIn(folder).size(), 1u);
        fakeNow += std::chrono::seconds(1);  // within the same second of the wall clock, often
        deliverFrame(3);
        const std::vector<fs::path> files = filesIn(folder);
        ASSERT_EQ(files.size(), 2u);
        EXPECT_TRUE(pngGrey(files[0]) == shownGrey(w) || pngGrey(files[1]) == shownGrey(w));
        EXPECT_NE(pngGrey(files[0]), pngGrey(files[1]));

        dialog::sendMenuCommand(w, MenuAutoSave);
        EXPECT_FALSE(dialog::menuItemChecked(w, MenuAutoSave));
        fakeNow += std::chrono::seconds(60);
        deliverFrame(4);
        EXPECT_EQ(filesIn(folder).size(), 2u);

        // A folder that cannot be made: one box, and saving stops.
        fs::remove_all(home / "Pictures");
        std::ofstream(home / "Pictures") << "a file, not a folder";
        dialog::sendMenuCommand(w, MenuAutoSave);
        deliverFrame(5);
        fakeNow += std::chrono::seconds(60);
        deliverFrame(6);
        EXPECT_EQ(shownBoxes.size(), 1u);
        EXPECT_FALSE(dialog::menuItemChecked(w, MenuAutoSave));
    });
}

TEST_F(ViewerAids, RecordingHoldsTheCapturedBytesAndDecodesToTheSamePictures) {
    const std::string wav = (home / "rec.wav").string();
    std::vector<std::uint8_t> captured;
    std::vector<std::vector<std::uint8_t>> livePictures;
    withViewer([&](HWND w) {
        dialog::processPendingEvents();
        deliverFrame(9);  // before recording: not in the file
        answer = wav;
        dialog::sendMenuCommand(w, MenuRecordSound);
        EXPECT_TRUE(dialog::menuItemChecked(w, MenuRecordSound));
        for (int frame = 1; frame <= 5; ++frame) {
            const std::vector<std::uint8_t> bytes = wanderingTone(nbtv::FrameSamples, frame);
            captured.insert(captured.end(), bytes.begin(), bytes.end());
            ASSERT_TRUE(wavescript::fillNextInput(bytes));
            dialog::processPendingEvents();
            livePictures.push_back(shownGrey(w));
            // Valid while still recording: the header counts every sample so far.
            SF_INFO info{};
            SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
            ASSERT_NE(file, nullptr);
            EXPECT_EQ(info.frames, static_cast<sf_count_t>(captured.size()));
            sf_close(file);
        }
        // A rate command ends the recording: a file holds one rate.
        commandThen(w, MenuRate208, [w]() { EXPECT_FALSE(dialog::menuItemChecked(w, MenuRecordSound)); });
    });

    SF_INFO info{};
    SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    EXPECT_EQ(info.samplerate, 10000);
    EXPECT_EQ(info.channels, 1);
    std::vector<std::uint8_t> stored(captured.size() + 1);
    EXPECT_EQ(sf_read_raw(file, stored.data(), static_cast<sf_count_t>(stored.size())),
              static_cast<sf_count_t>(captured.size()));
    stored.pop_back();
    EXPECT_EQ(stored, captured);
    sf_close(file);

    // Decoded with the start settings, frame by frame; the first frame's
    // last columns blend toward whatever the picture held before.
    const std::string pngDir = (home / "frames").string();
    std::vector<std::string> args = {"decode", wav, "--png-dir", pngDir};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    ASSERT_EQ(runDecode(static_cast<int>(argv.size()) - 1, argv.data() + 1), 0);
    for (int frame = 2; frame <= 5; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", frame);
        EXPECT_EQ(pngGrey(fs::path(pngDir) / name), livePictures[static_cast<std::size_t>(frame - 1)])
            << frame;
    }
}

TEST_F(ViewerAids, TuningDisplayMarkersFollowTheRateAndClosingUnticks) {
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        dialog::sendMenuCommand(w, MenuTuningDisplay);
        EXPECT_TRUE(dialog::tuningDisplayOpen());
        EXPECT_TRUE(dialog::menuItemChecked(w, MenuTuningDisplay));
        ASSERT_TRUE(wavescript::fillNextInput(tone(2000, nbtv::SignalRate, nbtv::FrameSamples)));
        dialog::processPendingEvents();
        double markers[3];
        double top = 0;
        int frames = 0;
        dialog::tuningShown(markers, 3, top, frames);
        EXPECT_EQ(frames, 1);
        EXPECT_EQ(top, 5000);
        EXPECT_NEAR(markers[0], 1727.7, 1e-9);
        EXPECT_NEAR(markers[1], 2348.4, 1e-9);
        EXPECT_NEAR(markers[2], 2969.0, 1e-9);
        commandThen(w, MenuRate208, [w]() {
            dialog::processPendingEvents();
            ASSERT_TRUE(wavescript::fillNextInput(tone(1600, 8000, 3841)));
            dialog::processPendingEvents();
            double moved[3];
            double top8000 = 0;
            int count = 0;
            dialog::tuningShown(moved, 3, top8000, count);
            EXPECT_EQ(top8000, 4000);
            EXPECT_NEAR(moved[0], 1382.16, 1e-9);
            EXPECT_NEAR(moved[2], 2375.2, 1e-9);
            // Closed by its close box: the mark goes.
            QWidget* display = toolWindow(QStringLiteral("Tuning display"));
            ASSERT_NE(display, nullptr);
            display->close();
            EXPECT_FALSE(dialog::tuningDisplayOpen());
            EXPECT_FALSE(dialog::menuItemChecked(w, MenuTuningDisplay));
        });
    });
}

TEST_F(ViewerAids, LargePictureOpensClosesAndGoesWithTheWindow) {
    withViewer([](HWND w) {
        dialog::processPendingEvents();
        deliverFrame(1);
        dialog::sendMenuCommand(w, MenuLargePicture);
        EXPECT_TRUE(dialog::largePictureOpen());
        EXPECT_TRUE(dialog::menuItemChecked(w, MenuLargePicture));
        QWidget* large = toolWindow(QStringLiteral("Large picture"));
        ASSERT_NE(large, nullptr);
        large->close();
        EXPECT_FALSE(dialog::menuItemChecked(w, MenuLargePicture));
        dialog::sendMenuCommand(w, MenuLargePicture);
        dialog::sendMenuCommand(w, MenuTuningDisplay);
        deliverFrame(2);
    });
    // Closing the receiver closes both.
    EXPECT_FALSE(dialog::largePictureOpen());
    EXPECT_FALSE(dialog::tuningDisplayOpen());
}
