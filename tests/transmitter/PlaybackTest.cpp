// The transmitter's sound output through the scripted backend: the two
// frames at start, strict alternation on every played buffer, the samples
// that reach the sound card, and silence from the program after close.
#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>
#include <QWindow>
#include <cstring>
#include <memory>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "tests/common/ModalRun.h"
#include "tests/common/ScriptedSound.h"
#include "transmitter/Synthesis.h"
#include "tests/common/TransmitterRun.h"
#include "transmitter/Transmitter.h"
#include "transmitter/TransmitterState.h"

using namespace tx;

using namespace win;
using namespace transmitter_id;
using wavescript::WaveCall;
using Names = std::vector<std::string>;

namespace {

constexpr DWORD FrameBytes = FrameSamples * 4;  // 16-bit stereo

// A frameless window showing a test card where the transmitter grabs its
// region, (200, 200). Where no window is, the offscreen screen grabs
// whatever its fresh pixmap holds, so every test shows a card.
class ShownCard : public QWidget {
public:
    explicit ShownCard(const QImage& card)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint), card_(card) {
        setGeometry(200, 200, PictureColumns, PictureRows);
        show();
        dialog::processPendingEvents();
        repaint();
    }
    void change(const QImage& card) {
        card_ = card;
        repaint();
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, card_); }

private:
    QImage card_;
};

// Colours that differ along and across the lines; `shift` moves them.
QImage testCard(int shift) {
    QImage card(PictureColumns, PictureRows, QImage::Format_RGB32);
    for (int y = 0; y < PictureRows; ++y)
        for (int x = 0; x < PictureColumns; ++x)
            card.setPixel(x, y, qRgb((x * 8 + shift) % 256, (y * 2) % 256, ((x + y) * 4) % 256));
    return card;
}

// The picture the transmitter should grab from the card: the top five
// bits of red, green and blue, the card's top row last.
ScreenPicture pictureOf(const QImage& card) {
    ScreenPicture picture;
    for (int y = 0; y < PictureRows; ++y)
        for (int x = 0; x < PictureColumns; ++x) {
            const QRgb c = card.pixel(x, y);
            setPictureWord(picture, PictureRows - 1 - y, x,
                           static_cast<std::uint16_t>((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 |
                                                      qBlue(c) >> 3));
        }
    return picture;
}

FrameBuffer frameOf(const QImage& card, bool lineSync) {
    TransmitterSettings settings{200, 200, lineSync ? -1 : 1, StandardSyncPulseLevel};
    FrameBuffer frame{};
    synthesizeFrame(pictureOf(card), settings, frame);
    return frame;
}

class TransmitterPlayback : public ScriptedSoundTest {
protected:
    void SetUp() override {
        ScriptedSoundTest::SetUp();
        card = std::make_unique<ShownCard>(testCard(0));
    }
    void TearDown() override {
        card.reset();
        ScriptedSoundTest::TearDown();
    }
    std::unique_ptr<ShownCard> card;
};

bool holds(const WAVEHDR* header, const FrameBuffer& frame) {
    return header->dwBufferLength == FrameBytes &&
           std::memcmp(header->lpData, &frame, FrameBytes) == 0;
}

// The preview's top row, which the squeeze keeps whole.
std::vector<std::uint32_t> previewTopRow(HWND w) {
    std::vector<std::uint32_t> pixels(96 * 95);
    int width = 0, height = 0;
    if (!dialog::pictureAt(w, 15, 15, width, height, pixels.data(), 96 * 95) || width != 96 ||
        height != 95)
        return {};
    pixels.resize(96);
    return pixels;
}

// The top row of the card as the preview shows it, through 16-bit words.
std::vector<std::uint32_t> cardTopRow(const QImage& card) {
    std::vector<std::uint32_t> row;
    auto expand = [](int c) { return static_cast<std::uint32_t>((c >> 3) << 3 | (c >> 3) >> 2); };
    for (int x = 0; x < PictureColumns; ++x) {
        const QRgb c = card.pixel(x, 0);
        row.push_back(0xFF000000u | expand(qRed(c)) << 16 | expand(qGreen(c)) << 8 | expand(qBlue(c)));
    }
    return row;
}

}  // namespace

TEST_F(TransmitterPlayback, StartBuildsTwoFramesAndQueuesBoth) {
    withTransmitter([](HWND w) {
        const std::vector<WaveCall> c = wavescript::calls();
        ASSERT_EQ(callNames(c), (Names{"waveOutOpen", "waveOutPrepareHeader", "waveOutPrepareHeader",
                                       "waveOutWrite", "waveOutWrite"}));
        // The open takes the format only when it is 16-bit stereo.
        for (const WaveCall& call : c) EXPECT_EQ(call.result, MMSYSERR_NOERROR) << call.name;
        EXPECT_EQ(c[0].sampleRate, 10000u);
        const WAVEHDR* first = c[1].header;
        const WAVEHDR* second = c[2].header;
        ASSERT_NE(first, second);
        EXPECT_EQ(c[3].header, first);
        EXPECT_EQ(c[4].header, second);
        for (std::size_t i = 1; i < c.size(); ++i) EXPECT_EQ(c[i].length, FrameBytes) << i;
        EXPECT_EQ(wavescript::queuedOutput(), (std::vector<const WAVEHDR*>{first, second}));
        // Both hold the card, as grabbed just now, without line sync.
        const FrameBuffer expected = frameOf(testCard(0), false);
        EXPECT_TRUE(holds(first, expected));
        EXPECT_TRUE(holds(second, expected));
        EXPECT_EQ(previewTopRow(w), cardTopRow(testCard(0)));
    });
}

TEST_F(TransmitterPlayback, EachPlayedBufferIsRebuiltFromAFreshGrabAndQueuedInStrictTurn) {
    withTransmitter([this](HWND w) {
        const std::vector<WaveCall> start = wavescript::calls();
        ASSERT_EQ(start.size(), 5u);
        const WAVEHDR* headers[2] = {start[1].header, start[2].header};

        for (int played = 0; played < 6; ++played) {
            // The card changes after two buffers have come back, line sync
            // goes on after three: each takes effect in the next frame built.
            if (played == 2) card->change(testCard(100));
            if (played == 3) dialog::clickControl(w, LineSync);
            const std::size_t mark = wavescript::calls().size();
            ASSERT_TRUE(wavescript::completeNextOutput());
            dialog::processPendingEvents();
            const std::vector<WaveCall> c = callsFrom(mark);
            ASSERT_EQ(callNames(c), Names{"waveOutWrite"}) << played;
            EXPECT_EQ(c[0].header, headers[played % 2]) << played;
            EXPECT_EQ(c[0].length, FrameBytes);
            EXPECT_EQ(c[0].result, MMSYSERR_NOERROR);
            EXPECT_EQ(wavescript::queuedOutput().size(), 2u);
        }
        EXPECT_EQ(previewTopRow(w), cardTopRow(testCard(100)));

        // What reached the sound card, back to back: a frame is built one
        // frame time before it plays, so the two start frames and the two
        // built before the change carry the first card.
        const std::vector<std::int16_t> samples = wavescript::playedSamples();
        ASSERT_EQ(samples.size(), 6u * FrameSamples * 2);
        const FrameBuffer expected[6] = {
            frameOf(testCard(0), false),   frameOf(testCard(0), false),
            frameOf(testCard(0), false),   frameOf(testCard(0), false),
            frameOf(testCard(100), false), frameOf(testCard(100), true)};
        for (int frame = 0; frame < 6; ++frame)
            EXPECT_EQ(std::memcmp(&samples[static_cast<std::size_t>(frame) * FrameSamples * 2],
                                  &expected[frame], FrameBytes),
                      0)
                << "frame " << frame;
        EXPECT_NE(std::memcmp(&expected[3], &expected[4], FrameBytes), 0);
        EXPECT_NE(std::memcmp(&expected[4], &expected[5], FrameBytes), 0);
    });
}

TEST_F(TransmitterPlayback, AfterCloseNothingIsBuiltOrWritten) {
    const WAVEHDR* first = nullptr;
    std::size_t mark = 0;
    HWND window = nullptr;
    withTransmitter([&](HWND w) {
        window = w;
        first = wavescript::calls().at(1).header;
        ASSERT_TRUE(wavescript::completeNextOutput());
        dialog::processPendingEvents();
        dialog::clickControl(w, LineSync);  // a rebuild would now differ
        mark = wavescript::calls().size();
        dialog::sendCloseBox(w);
        EXPECT_FALSE(dialog::windowExists(w));
    });
    const std::vector<WaveCall> c = callsFrom(mark);
    ASSERT_EQ(callNames(c), (Names{"waveOutReset", "waveOutUnprepareHeader",
                                   "waveOutUnprepareHeader", "waveOutClose"}));
    // Both buffers were back from the device when their headers were released.
    for (const WaveCall& call : c) EXPECT_EQ(call.result, MMSYSERR_NOERROR) << call.name;

    EXPECT_FALSE(wavescript::completeNextOutput());
    dialog::processPendingEvents();
    // A completion that still reached the handler refills nothing.
    FrameBuffer before;
    std::memcpy(&before, first->lpData, FrameBytes);
    transmitterEvent(window, MM_WOM_DONE, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(wavescript::calls().size(), mark + 4);
    EXPECT_EQ(std::memcmp(&before, first->lpData, FrameBytes), 0);
}

TEST_F(TransmitterPlayback, WithoutAnOutputDeviceTheWindowStillWorks) {
    wavescript::setOutputDevice(false);
    withTransmitter([](HWND w) {
        const std::vector<WaveCall> c = wavescript::calls();
        ASSERT_EQ(callNames(c), (Names{"waveOutOpen", "waveOutPrepareHeader", "waveOutPrepareHeader",
                                       "waveOutWrite", "waveOutWrite"}));
        EXPECT_EQ(c[0].result, MMSYSERR_NODRIVER);
        EXPECT_FALSE(wavescript::completeNextOutput());
        // The two frames of the start were still built.
        EXPECT_EQ(previewTopRow(w), cardTopRow(testCard(0)));
        dialog::sendScroll(w, ScrollX, SB_PAGERIGHT);
        EXPECT_EQ(dialog::controlText(w, ValueX), "210");
        dialog::clickControl(w, LineSync);
        EXPECT_EQ(transmitter.settings.lineSync, -1);
        dialog::processPendingEvents();
        EXPECT_EQ(wavescript::calls().size(), 5u);
    });
    EXPECT_TRUE(wavescript::playedSamples().empty());
}
