// Sound output: two frame buffers played back to back. Each buffer the
// device hands back is rebuilt from a fresh grab of the screen region and
// queued again behind the one still playing.
#include "platform/WaveAudio.h"
#include "transmitter/FrameBuild.h"
#include "transmitter/Transmitter.h"

using namespace win;
using namespace tx;

namespace {

constexpr UINT HeaderSize = 32;

HWAVEOUT outputDevice = nullptr;
WAVEFORMATEX outputFormat{};
FrameBuffer frameBuffers[2]{};  // made once, zero-filled, alive for the run
WAVEHDR frameHeaders[2]{};
int nextBuffer = 0;             // which buffer the next completion refills
bool playing = false;           // completions after the stop refill nothing
bool outputOpen = false;        // the device took the format

}  // namespace

void startSoundOutput(HWND window) {
    outputFormat.wFormatTag = WAVE_FORMAT_PCM;
    outputFormat.nChannels = 2;
    outputFormat.nSamplesPerSec = SampleRate;
    outputFormat.nAvgBytesPerSec = SampleRate * 2 * 16 / 8;
    outputFormat.nBlockAlign = 16 * 2 / 8;
    outputFormat.wBitsPerSample = 16;
    outputFormat.cbSize = 0;
    outputOpen = waveOutOpen(&outputDevice, WAVE_MAPPER, &outputFormat,
                             reinterpret_cast<std::uintptr_t>(window), 0,
                             CALLBACK_WINDOW) == MMSYSERR_NOERROR;

    // Two grabs in immediate succession, so both normally hold one picture.
    buildFrame(frameBuffers[0]);
    buildFrame(frameBuffers[1]);
    for (int i = 0; i < 2; ++i) {
        frameHeaders[i] = WAVEHDR{};
        frameHeaders[i].lpData = reinterpret_cast<char*>(&frameBuffers[i]);
        frameHeaders[i].dwBufferLength = sizeof(FrameBuffer);  // 3841 stereo frames
    }
    nextBuffer = 0;
    playing = true;
    waveOutPrepareHeader(outputDevice, &frameHeaders[0], HeaderSize);
    waveOutPrepareHeader(outputDevice, &frameHeaders[1], HeaderSize);
    waveOutWrite(outputDevice, &frameHeaders[0], HeaderSize);
    waveOutWrite(outputDevice, &frameHeaders[1], HeaderSize);
}

bool soundOutputOpen() { return outputOpen; }

void soundBufferDone() {
    if (!playing) return;
    // Buffers come back in the order written, so strict alternation always
    // refills the one just returned.
    buildFrame(frameBuffers[nextBuffer]);
    waveOutWrite(outputDevice, &frameHeaders[nextBuffer], HeaderSize);
    nextBuffer = 1 - nextBuffer;
}

void stopSoundOutput() {
    playing = false;
    waveOutReset(outputDevice);
    waveOutUnprepareHeader(outputDevice, &frameHeaders[0], HeaderSize);
    waveOutUnprepareHeader(outputDevice, &frameHeaders[1], HeaderSize);
    waveOutClose(outputDevice);
    outputDevice = nullptr;
}
