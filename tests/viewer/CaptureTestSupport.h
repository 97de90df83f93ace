#pragma once
// The receiver's sound input driven through the scripted backend: tones to
// feed it, and a shadow of the two capture buffers from which the signal
// core, called here on its own, gives the picture and the "Picture level"
// the window must show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "tests/common/ScriptedSound.h"
#include "viewer/Demodulator.h"
#include "viewer/LineTiming.h"
#include "viewer/PictureStore.h"
#include "viewer/Viewer.h"
#include "viewer/Commands.h"
#include "viewer/EventHandler.h"
#include "viewer/PictureDisplay.h"
#include "viewer/ViewerState.h"
#include "viewer/Window.h"

using namespace rx;

// Unsigned 8-bit samples of a sine tone, 128 being zero.
inline std::vector<std::uint8_t> tone(double hz, int rate, int count, double amplitude = 100) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        bytes[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(
            128 + std::lround(amplitude * std::sin(2 * M_PI * hz * n / rate)));
    return bytes;
}

// A tone whose pitch wanders between black and white, so that the picture
// varies along the lines and across them; `seed` shifts the pattern.
inline std::vector<std::uint8_t> wanderingTone(int count, int seed) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    double phase = 0;
    for (int n = 0; n < count; ++n) {
        const double hz = 2040 + 330 * std::sin(2 * M_PI * (n + 97 * seed) / 777.0);
        phase += 2 * M_PI * hz / nbtv::SignalRate;
        bytes[static_cast<std::size_t>(n)] =
            static_cast<std::uint8_t>(128 + std::lround(100 * std::sin(phase)));
    }
    return bytes;
}

// The video signal the signal core makes of a capture buffer's bytes.
inline FrameArrays demodulated(const std::vector<std::uint8_t>& buffer, const ReceiverSettings& s) {
    FrameArrays arrays = makeFrameArrays(s.frameSamples);
    demodulate(buffer.data(), s, arrays);
    return arrays;
}

inline std::string levelText(const std::vector<std::uint8_t>& buffer, const ReceiverSettings& s) {
    return dialog::numberText(pictureLevel(demodulated(buffer, s).videoSignal.data()));
}

// Follows the two capture buffers from outside the program.
struct CaptureShadow {
    const win::WAVEHDR* headers[2] = {nullptr, nullptr};
    std::vector<std::uint8_t> buffers[2];  // what each capture buffer holds
    PictureStore picture;                   // what the window's picture should be
    int framesScanned = 0;

    CaptureShadow() {
        for (auto& b : buffers) b.assign(CaptureBufferBytes + CaptureBufferSlack, 0);
    }

    // Capture headers 1 and 2 are the first two the program prepared.
    void learnHeaders() {
        std::vector<wavescript::WaveCall> prepared =
            callsNamed(wavescript::calls(), "waveInPrepareHeader");
        ASSERT_GE(prepared.size(), 2u);
        headers[0] = prepared[0].header;
        headers[1] = prepared[1].header;
        ASSERT_NE(headers[0], headers[1]);
    }

    int indexOf(const win::WAVEHDR* header) const {
        return header == headers[0] ? 0 : header == headers[1] ? 1 : -1;
    }

    // Records `bytes` into the head queued buffer as the sound card would,
    // lets the program handle the notification, and returns which buffer it
    // was (0 or 1), or -1 when none was queued.
    int deliver(const std::vector<std::uint8_t>& bytes) {
        std::vector<const win::WAVEHDR*> queued = wavescript::queuedInput();
        if (queued.empty()) return -1;
        const int i = indexOf(queued.front());
        if (i < 0) return -1;
        const std::size_t count = std::min<std::size_t>(bytes.size(), queued.front()->dwBufferLength);
        std::copy_n(bytes.begin(), count, buffers[i].begin());
        if (!wavescript::fillNextInput(bytes)) return -1;
        dialog::processPendingEvents();
        return i;
    }

    // The frame the program has just processed from buffer i, done again
    // here with the settings in force.
    void scan(int i) {
        FrameArrays arrays = demodulated(buffers[i], viewer.settings);
        scanFrame(arrays.videoSignal.data(), viewer.settings, picture);
        ++framesScanned;
    }

    std::string level(int i) const { return levelText(buffers[i], viewer.settings); }

    // The window's picture against the shadow's. Columns 94 and 95 blend
    // toward the previous frame's column 0, which the program may hold from
    // an earlier window of this process, so they count from the second
    // frame on.
    void expectPictureShown(win::HWND w) const {
        std::vector<std::uint32_t> shown(PictureWidth * ShownRows);
        int width = 0, height = 0;
        ASSERT_TRUE(dialog::pictureAt(w, PictureLeft, PictureTop, width, height, shown.data(),
                                      static_cast<int>(shown.size())));
        ASSERT_EQ(width, PictureWidth);
        ASSERT_EQ(height, ShownRows);
        const int columns = framesScanned >= 2 ? PictureWidth : 94;
        int wrong = 0;
        for (int y = 0; y < ShownRows; ++y) {
            const std::size_t row = static_cast<std::size_t>(ShownRows - 1 - y);  // top row first
            for (int x = 0; x < columns; ++x) {
                const std::uint8_t* p = &picture.bytes[(row * PictureWidth + x) * BytesPerPixel];
                const std::uint32_t expected = 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
                if (shown[static_cast<std::size_t>(y * PictureWidth + x)] != expected && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                                  << shown[static_cast<std::size_t>(y * PictureWidth + x)]
                                  << ", expected " << expected;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
};
