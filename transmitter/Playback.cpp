// Sound output: each buffer the device hands back is rebuilt from a fresh
// grab of the screen region and queued again behind the one still playing.
#include "transmitter/Playback.h"

#include "transmitter/FrameBuild.h"
#include "transmitter/TransmitterState.h"

using namespace win;
using namespace tx;

namespace {
constexpr UINT HeaderSize = 32;
}  // namespace

void startSoundOutput(HWND window) {
    SoundOutput& o = transmitter.output;
    WAVEFORMATEX& outputFormat = o.format;
    outputFormat.wFormatTag = WAVE_FORMAT_PCM;
    outputFormat.nChannels = 2;
    outputFormat.nSamplesPerSec = SampleRate;
    outputFormat.nAvgBytesPerSec = SampleRate * 2 * 16 / 8;
    outputFormat.nBlockAlign = 16 * 2 / 8;
    outputFormat.wBitsPerSample = 16;
    outputFormat.cbSize = 0;
    o.open = waveOutOpen(&o.device, WAVE_MAPPER, &outputFormat,
                             reinterpret_cast<std::uintptr_t>(window), 0,
                             CALLBACK_WINDOW) == MMSYSERR_NOERROR;

    // Two grabs in immediate succession, so both normally hold one picture.
    buildFrame(o.buffers[0]);
    buildFrame(o.buffers[1]);
    for (int i = 0; i < 2; ++i) {
        o.headers[i] = WAVEHDR{};
        o.headers[i].lpData = reinterpret_cast<char*>(&o.buffers[i]);
        o.headers[i].dwBufferLength = sizeof(FrameBuffer);  // 3841 stereo frames
    }
    o.nextBuffer = 0;
    o.playing = true;
    waveOutPrepareHeader(o.device, &o.headers[0], HeaderSize);
    waveOutPrepareHeader(o.device, &o.headers[1], HeaderSize);
    waveOutWrite(o.device, &o.headers[0], HeaderSize);
    waveOutWrite(o.device, &o.headers[1], HeaderSize);
}

void soundBufferDone() {
    SoundOutput& o = transmitter.output;
    if (!o.playing) return;
    // Buffers come back in the order written, so strict alternation always
    // refills the one just returned.
    buildFrame(o.buffers[o.nextBuffer]);
    waveOutWrite(o.device, &o.headers[o.nextBuffer], HeaderSize);
    o.nextBuffer = 1 - o.nextBuffer;
}

void stopSoundOutput() {
    SoundOutput& o = transmitter.output;
    o.playing = false;
    waveOutReset(o.device);
    waveOutUnprepareHeader(o.device, &o.headers[0], HeaderSize);
    waveOutUnprepareHeader(o.device, &o.headers[1], HeaderSize);
    waveOutClose(o.device);
    o.device = nullptr;
}
