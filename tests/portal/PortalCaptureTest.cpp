// Screen capture through the desktop portal, with the real transmitter
// code: a test portal on a private session bus hands out the node of a test
// video source on a private PipeWire daemon (scripts/e2e-portal starts bus
// and daemon and sets NBTV_SCREEN_CAPTURE=portal). Checks the words of
// regions in several pixel formats and strides, the bars, refusal, a
// missing portal, a stream that ends and comes back, the restore token, the
// ways compositors hand frames over (memory files, DMA buffers, crop,
// header and cursor metas, chunks that leave their size to the buffer), and
// GStreamer's pipewiresink as a second producer.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <chrono>
#include <cstring>
#include <memory>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "dialog/StationQuestions.h"
#include "platform/StoredSettings.h"
#include "tests/common/ModalRun.h"
#include "tests/common/ScriptedSound.h"
#include "tests/portal/fixtures/TestScreen.h"
#include "transmitter/Synthesis.h"
#include "tests/common/TransmitterRun.h"
#include "transmitter/Transmitter.h"
#include "transmitter/TransmitterState.h"

using namespace tx;
using namespace win;

namespace {

QString work() { return QString::fromLocal8Bit(qgetenv("NBTV_PORTAL_WORK")); }
QString fixture(const char* name) {
    return QString::fromLocal8Bit(qgetenv("NBTV_FIXTURES")) + QLatin1Char('/') + QLatin1String(name);
}
QString nodeFile() { return work() + QStringLiteral("/node"); }
QString portalLog() { return work() + QStringLiteral("/portal.log"); }
QString tokenFile() {
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
           QStringLiteral("/portal_tests/screen-cast-restore-token");
}

std::unique_ptr<QProcess> start(const QString& program, const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(program, arguments);
    process->waitForStarted();
    return process;
}

void stop(std::unique_ptr<QProcess>& process) {
    if (process == nullptr) return;
    process->terminate();
    if (!process->waitForFinished(3000)) process->kill();
    process->waitForFinished(1000);
    process.reset();
}

// The words the region at (x, y) of the test monitor should give.
ScreenPicture expectedPicture(int x, int y) {
    ScreenPicture picture;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column) {
            const int sx = x + column, sy = y + row;
            if (sx < 0 || sy < 0 || sx >= testscreen::Width || sy >= testscreen::Height) continue;
            const testscreen::Colour c = testscreen::colourAt(sx, sy);
            setPictureWord(picture, PictureRows - 1 - row, column,
                           static_cast<std::uint16_t>((c.red >> 3) << 10 | (c.green >> 3) << 5 |
                                                      c.blue >> 3));
        }
    return picture;
}

FrameBuffer frameOf(const ScreenPicture& picture) {
    FrameBuffer frame{};
    synthesizeFrame(picture, transmitter.settings, frame);
    return frame;
}

class PortalCapture : public ScriptedSoundTest {
protected:
    void SetUp() override {
        if (work().isEmpty()) GTEST_SKIP() << "needs the private session of scripts/e2e-portal";
        ScriptedSoundTest::SetUp();
        QFile::remove(portalLog());
        QFile::remove(tokenFile());
    }
    void TearDown() override {
        stop(portal);
        stopSource();
        ScriptedSoundTest::TearDown();
    }
    void startPortal(const QStringList& extra = {}) {
        portal = start(fixture("test_portal"),
                       QStringList{"--node-file", nodeFile(), "--log", portalLog()} + extra);
        QThread::msleep(300);  // its name taken on the bus
    }
    void startSource(const QString& format, int stride, const QStringList& extra = {}) {
        QFile::remove(nodeFile());
        source = start(fixture("screen_source"), QStringList{"--format", format, "--stride", QString::number(stride),
                                                             "--node-file", nodeFile()} +
                                                     extra);
        for (int i = 0; i < 100 && !QFile::exists(nodeFile()); ++i) QThread::msleep(50);
        ASSERT_TRUE(QFile::exists(nodeFile())) << "the test source made no node";
    }
    void stopSource() {
        stop(source);
        QFile::remove(nodeFile());
    }
    // Whether the portal has logged the text, waiting a little for it.
    static bool portalLogged(const QString& text) {
        for (int i = 0; i < 20; ++i) {
            QFile f(portalLog());
            if (f.open(QIODevice::ReadOnly) && QString::fromUtf8(f.readAll()).contains(text)) return true;
            QThread::msleep(50);
        }
        return false;
    }
    std::unique_ptr<QProcess> portal, source;
};

// Plays buffers as the sound card would, every 50 ms, until the frame just
// built equals the expected one (true) or the time is up (false).
bool playUntilFrame(const FrameBuffer& expected, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (!wavescript::completeNextOutput()) return false;
        dialog::processPendingEvents();
        const std::vector<const WAVEHDR*> queued = wavescript::queuedOutput();
        if (!queued.empty() &&
            std::memcmp(queued.back()->lpData, &expected, sizeof(FrameBuffer)) == 0)
            return true;
        QThread::msleep(50);
    }
    return false;
}

bool playUntilPicture(int x, int y, int seconds = 10) {
    return playUntilFrame(frameOf(expectedPicture(x, y)), seconds);
}

// Whether the next `frames` frames, built 50 ms apart (several of the
// source's frames), all show the region at (x, y).
bool steadyPicture(int x, int y, int frames = 10) {
    const FrameBuffer expected = frameOf(expectedPicture(x, y));
    for (int i = 0; i < frames; ++i) {
        QThread::msleep(50);
        if (!wavescript::completeNextOutput()) return false;
        dialog::processPendingEvents();
        const std::vector<const WAVEHDR*> queued = wavescript::queuedOutput();
        if (queued.empty() || std::memcmp(queued.back()->lpData, &expected, sizeof(FrameBuffer)) != 0) return false;
    }
    return true;
}

// Black frames with the note: sound goes on, the picture says why it is black.
void expectBlackWithNote(HWND w, int seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (dialog::pictureNote(w, 15, 15) != "No screen access" &&
           std::chrono::steady_clock::now() < end) {
        wavescript::completeNextOutput();
        dialog::processPendingEvents();
        QThread::msleep(50);
    }
    EXPECT_EQ(dialog::pictureNote(w, 15, 15), "No screen access");
    EXPECT_TRUE(playUntilFrame(frameOf(ScreenPicture{}), 1));
    const std::size_t writes = callsNamed(wavescript::calls(), "waveOutWrite").size();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(wavescript::completeNextOutput());
        dialog::processPendingEvents();
    }
    EXPECT_EQ(callsNamed(wavescript::calls(), "waveOutWrite").size(), writes + 3);
}

}  // namespace

TEST_F(PortalCapture, RegionsGiveTheMonitorsWordsInEveryFormatAndStride) {
    startPortal();
    const std::pair<const char*, int> formats[] = {
        {"BGRx", 640 * 4}, {"RGBx", 640 * 4 + 64}, {"xRGB", 640 * 4 + 256}, {"RGBA", 640 * 4}};
    for (const auto& [format, stride] : formats) {
        SCOPED_TRACE(format);
        startSource(format, stride);
        withTransmitter([](HWND w) {
            EXPECT_TRUE(playUntilPicture(200, 200));
            EXPECT_EQ(dialog::pictureNote(w, 15, 15), "");
            for (const auto& [x, y] : {std::pair{0, 0}, {600, 400}, {-30, -20}, {640, 0}}) {
                transmitter.settings.regionX = x;
                transmitter.settings.regionY = y;
                EXPECT_TRUE(playUntilPicture(x, y, 3)) << x << "," << y;
            }
        });
        stopSource();
    }
}

TEST_F(PortalCapture, TheBarsMoveTheRegionOfTheNextFrame) {
    startPortal();
    startSource("BGRx", 640 * 4);
    withTransmitter([](HWND w) {
        ASSERT_TRUE(playUntilPicture(200, 200));
        dialog::sendScroll(w, transmitter_id::ScrollX, SB_LINEDOWN);
        dialog::sendScroll(w, transmitter_id::ScrollY, SB_PAGEDOWN);
        wavescript::completeNextOutput();
        dialog::processPendingEvents();
        const FrameBuffer moved = frameOf(expectedPicture(201, 210));
        EXPECT_EQ(std::memcmp(wavescript::queuedOutput().back()->lpData, &moved, sizeof moved), 0);
    });
}

TEST_F(PortalCapture, TheRegionIsChosenOnTheSharedMonitor) {
    startPortal();
    startSource("BGRx", 640 * 4);
    static core::ScreenImage shown;
    dialog::setRegionHook([](const core::ScreenImage& screen, int& x, int& y) {
        shown = screen;
        x = 300;
        y = 250;
        return true;
    });
    withTransmitter([](HWND w) {
        ASSERT_TRUE(playUntilPicture(200, 200));
        dialog::sendMenuCommand(w, transmitter_id::ChooseRegion);
        // The chooser is shown the whole monitor, in the region's pixels.
        ASSERT_EQ(shown.width, testscreen::Width);
        ASSERT_EQ(shown.height, testscreen::Height);
        for (const auto& [x, y] : {std::pair{0, 0}, {639, 479}, {321, 123}}) {
            const testscreen::Colour c = testscreen::colourAt(x, y);
            const std::uint32_t pixel = shown.pixels[static_cast<std::size_t>(y * shown.width + x)];
            EXPECT_EQ((pixel >> 19) & 31u, c.red >> 3u) << x << "," << y;
            EXPECT_EQ((pixel >> 11) & 31u, c.green >> 3u) << x << "," << y;
            EXPECT_EQ((pixel >> 3) & 31u, c.blue >> 3u) << x << "," << y;
        }
        EXPECT_EQ(dialog::controlText(w, transmitter_id::ValueX), "300");
        EXPECT_TRUE(playUntilPicture(300, 250, 3));
    });
    dialog::setRegionHook(nullptr);
    platform::clearStoredSettings();  // the region chosen is not for the next test
}

TEST_F(PortalCapture, RefusalGivesBlackFramesWithTheNoteUntilThePortalRestarts) {
    startPortal({"--refuse"});
    startSource("BGRx", 640 * 4);
    withTransmitter([this](HWND w) {
        expectBlackWithNote(w);
        EXPECT_TRUE(portalLogged("Start answer=1"));
        stop(portal);
        startPortal();
        EXPECT_TRUE(playUntilPicture(200, 200));
        EXPECT_EQ(dialog::pictureNote(w, 15, 15), "");
    });
}

TEST_F(PortalCapture, NoPortalGivesBlackFramesWithTheNote) {
    startSource("BGRx", 640 * 4);
    withTransmitter([](HWND w) { expectBlackWithNote(w); });
}

TEST_F(PortalCapture, AStreamThatEndsGivesBlackAndOneThatComesBackGivesPictures) {
    startPortal();
    startSource("RGBx", 640 * 4);
    withTransmitter([this](HWND w) {
        ASSERT_TRUE(playUntilPicture(200, 200));
        stopSource();
        expectBlackWithNote(w);
        startSource("xRGB", 640 * 4 + 32);
        EXPECT_TRUE(playUntilPicture(200, 200, 15));
        EXPECT_EQ(dialog::pictureNote(w, 15, 15), "");
    });
}

TEST_F(PortalCapture, ASessionTheDesktopClosesIsNotAskedForAgain) {
    startPortal({"--close-after", "1500"});
    startSource("BGRx", 640 * 4);
    withTransmitter([](HWND w) {
        ASSERT_TRUE(playUntilPicture(200, 200));
        expectBlackWithNote(w);
        // Longer than a retry after a failure takes.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end) {
            wavescript::completeNextOutput();
            dialog::processPendingEvents();
            QThread::msleep(100);
        }
        EXPECT_EQ(dialog::pictureNote(w, 15, 15), "No screen access");
    });
    QFile log(portalLog());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("CreateSession"), 1);
}

TEST_F(PortalCapture, TheRestoreTokenIsKeptAndOfferedNextStart) {
    startPortal({"--token", "first-choice"});
    startSource("BGRx", 640 * 4);
    withTransmitter([](HWND) { EXPECT_TRUE(playUntilPicture(200, 200)); });
    EXPECT_TRUE(portalLogged("SelectSources types=1 multiple=false cursor_mode=1 persist_mode=2 "
                             "restore_token=\n"));
    QFile token(tokenFile());
    ASSERT_TRUE(token.open(QIODevice::ReadOnly));
    EXPECT_EQ(token.readAll(), "first-choice");
    token.close();

    stop(portal);
    startPortal({"--token", "second-choice"});
    withTransmitter([](HWND) { EXPECT_TRUE(playUntilPicture(200, 200)); });
    EXPECT_TRUE(portalLogged("persist_mode=2 restore_token=first-choice\n"));
    EXPECT_TRUE(portalLogged("Close"));
    ASSERT_TRUE(token.open(QIODevice::ReadOnly));
    EXPECT_EQ(token.readAll(), "second-choice");
}

TEST_F(PortalCapture, EveryWayOfHandingOverFramesGivesTheMonitorsWords) {
    startPortal();
    const QStringList ways[] = {
        {"--buffers", "memfd"},
        {"--buffers", "dmabuf"},
        {"--buffers", "dmabuf", "--whole-chunks", "--corrupt"},
        {"--crop", "--corrupt", "--cursor"},
        {"--buffers", "memfd", "--crop", "--cursor", "--whole-chunks"},
    };
    for (const QStringList& way : ways) {
        SCOPED_TRACE(way.join(' ').toStdString());
        const int width = way.contains("--crop") ? 640 + 32 : 640;
        startSource("BGRx", width * 4, way);
        withTransmitter([](HWND) {
            ASSERT_TRUE(playUntilPicture(200, 200));
            // No corrupted or pointer-only buffer ever shows.
            EXPECT_TRUE(steadyPicture(200, 200));
            // Off the monitor is black, not what surrounds it in the buffer.
            for (const auto& [x, y] : {std::pair{-30, -20}, {600, 400}}) {
                transmitter.settings.regionX = x;
                transmitter.settings.regionY = y;
                EXPECT_TRUE(playUntilPicture(x, y, 3)) << x << "," << y;
            }
        });
        stopSource();
    }
}

namespace {

// The id of the PipeWire node of that name, or 0.
QString nodeCalled(const QString& name) {
    QProcess list;
    list.start("pw-cli", {"ls", "Node"});
    list.waitForFinished(5000);
    QString id;
    for (const QString& line : QString::fromUtf8(list.readAllStandardOutput()).split('\n')) {
        const QRegularExpressionMatch node = QRegularExpression(R"(^\s*id (\d+),)").match(line);
        if (node.hasMatch()) id = node.captured(1);
        if (line.contains("node.name = \"" + name + "\"")) return id;
    }
    return {};
}

}  // namespace

TEST_F(PortalCapture, AGStreamerSourceGivesTheMonitorsWords) {
    QProcess probe;
    probe.start("gst-inspect-1.0", {"pipewiresink"});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        GTEST_SKIP() << "GStreamer's pipewiresink is not installed (gstreamer1.0-pipewire)";
    // The test monitor as a picture file, played by GStreamer as a screen
    // cast of five frames a second.
    QImage monitor(testscreen::Width, testscreen::Height, QImage::Format_RGB32);
    for (int y = 0; y < testscreen::Height; ++y)
        for (int x = 0; x < testscreen::Width; ++x) {
            const testscreen::Colour c = testscreen::colourAt(x, y);
            monitor.setPixel(x, y, qRgb(c.red, c.green, c.blue));
        }
    const QString picture = work() + "/monitor.png";
    ASSERT_TRUE(monitor.save(picture));
    // GStreamer 1.22's pipewiresink in provide mode hands the element before
    // it buffers without memory until a consumer links (videoconvert says
    // "invalid video buffer received", and no frame ever carries pixels):
    // the identity element keeps the sink's buffers to the sink, which then
    // copies each frame into a buffer of the link's.
    source = start("gst-launch-1.0",
                   {"-q", "filesrc", "location=" + picture, "!", "pngdec", "!", "imagefreeze", "!",
                    "video/x-raw,framerate=5/1", "!", "videoconvert", "!", "video/x-raw,format=BGRx", "!", "identity",
                    "drop-allocation=true", "!", "pipewiresink", "mode=provide",
                    "stream-properties=p,media.class=Video/Source,node.name=nbtv-gst-screen"});
    QString node;
    for (int i = 0; i < 100 && (node = nodeCalled("nbtv-gst-screen")).isEmpty(); ++i) QThread::msleep(100);
    ASSERT_FALSE(node.isEmpty()) << "GStreamer made no node";
    QFile file(nodeFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(node.toUtf8() + "\n");
    file.close();
    startPortal();
    withTransmitter([](HWND w) {
        ASSERT_TRUE(playUntilPicture(200, 200));
        EXPECT_EQ(dialog::pictureNote(w, 15, 15), "");
        EXPECT_TRUE(steadyPicture(200, 200));
        for (const auto& [x, y] : {std::pair{0, 0}, {600, 400}, {-30, -20}}) {
            transmitter.settings.regionX = x;
            transmitter.settings.regionY = y;
            EXPECT_TRUE(playUntilPicture(x, y, 3)) << x << "," << y;
        }
    });
}
