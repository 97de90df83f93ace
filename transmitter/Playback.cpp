// Sound output: each buffer the device hands back is rebuilt from a fresh
// picture and queued again behind the one still playing.
#include "transmitter/Playback.h"

#include "platform/PlaybackState.h"
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
    // Held from the start when nothing is to be sent yet, or until the
    // radio is keyed.
    const bool sending = transmitter.sending.wanted;
    if (!sending || usesPushToTalk(transmitter.station)) holdOutput(true);

    // Two grabs in immediate succession, so both normally hold one picture.
    if (sending) {
        buildFrame(o.buffers[0]);
        buildFrame(o.buffers[1]);
    } else {
        showStillPicture();
    }
    for (int i = 0; i < 2; ++i) {
        o.headers[i] = WAVEHDR{};
        o.headers[i].lpData = reinterpret_cast<char*>(&o.buffers[i]);
        o.headers[i].dwBufferLength = sizeof(FrameBuffer);  // 3841 stereo frames
    }
    o.nextBuffer = 0;
    o.playing = sending;
    waveOutPrepareHeader(o.device, &o.headers[0], HeaderSize);
    waveOutPrepareHeader(o.device, &o.headers[1], HeaderSize);
    if (!sending) return;
    waveOutWrite(o.device, &o.headers[0], HeaderSize);
    waveOutWrite(o.device, &o.headers[1], HeaderSize);
}

void soundBufferDone(const WAVEHDR* header) {
    SoundOutput& o = transmitter.output;
    if (!o.playing || (header != nullptr && (header->dwFlags & WHDR_INQUEUE))) return;
    // Buffers come back in the order written, so strict alternation always
    // refills the one just returned.
    buildFrame(o.buffers[o.nextBuffer]);
    waveOutWrite(o.device, &o.headers[o.nextBuffer], HeaderSize);
    o.nextBuffer = 1 - o.nextBuffer;
}

int stopSoundOutput() {
    SoundOutput& o = transmitter.output;
    o.playing = false;
    // With a radio keyed, the stream is held before its queue is dropped,
    // so that nothing more of it reaches the card and the radio can go.
    const bool keyed = usesPushToTalk(transmitter.station);
    if (keyed) holdOutput(true);
    waveOutReset(o.device);
    const int delay = keyed && o.open ? platform::playbackDelayMs(o.device) : 0;
    waveOutUnprepareHeader(o.device, &o.headers[0], HeaderSize);
    waveOutUnprepareHeader(o.device, &o.headers[1], HeaderSize);
    waveOutClose(o.device);
    o.device = nullptr;
    return delay;
}

void queueFreshFrames() {
    SoundOutput& o = transmitter.output;
    buildFrame(o.buffers[0]);
    buildFrame(o.buffers[1]);
    o.nextBuffer = 0;
    o.playing = true;
    waveOutWrite(o.device, &o.headers[0], HeaderSize);
    waveOutWrite(o.device, &o.headers[1], HeaderSize);
}

void holdOutput(bool held) {
    SoundOutput& o = transmitter.output;
    if (o.held == held) return;
    o.held = held;
    if (held) {
        waveOutPause(o.device);
    } else {
        waveOutRestart(o.device);
    }
}

int dropQueuedFrames() {
    SoundOutput& o = transmitter.output;
    o.playing = false;
    waveOutReset(o.device);
    return o.open ? platform::playbackDelayMs(o.device) : 0;
}

void soundOutputFailed() {
    SoundOutput& o = transmitter.output;
    o.playing = false;
    o.open = false;
}
