// The real backend: one PortAudio stream per open device, on the default
// input or output, running from open to close. The stream's callback moves
// one callback's samples between PortAudio and the queued buffers with the
// state mutex held, and wakes the notifier when a buffer is done.
#include <portaudio.h>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#endif
#if defined(__linux__)
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#endif

#include "platform/PlaybackState.h"
#include "platform/WaveDevice.h"

namespace wavedev {
namespace {

// PortAudio and the sound libraries under it report their probing of
// devices on stderr ("ALSA lib ...", the JACK client's "cannot connect");
// none of it concerns the user, so stderr is sent to /dev/null meanwhile.
class QuietStderr {
public:
#if defined(__unix__) || defined(__APPLE__)
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(2);
        int null = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && null >= 0) dup2(null, 2);
        if (null >= 0) ::close(null);
    }
    ~QuietStderr() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        ::close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
#endif
};

bool initialised = false;  // GUI thread only
int openStreams = 0;       // GUI thread only

bool initialise() {
    if (!initialised) {
        QuietStderr quiet;
        initialised = Pa_Initialize() == paNoError;
    }
    return initialised;
}

// ALSA loads plug-in modules (the PulseAudio one, rate converters with their
// codec libraries) while PortAudio looks for devices, and unloads them when
// PortAudio stops. Libraries loaded and unloaded again and again run their
// start-up code each time and drop what it made; they are kept loaded
// instead, as they would be if PortAudio were never restarted.
void keepSoundPluginsLoaded() {
#if defined(__linux__)
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "libasound_module_") != nullptr)
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

// PortAudio takes its list of devices, and the sound libraries under it
// their configuration, once, when it starts. Starting it afresh finds a
// sound server or device that has come since; only done while none of our
// streams is open, since it would close them.
void reinitialise() {
    if (openStreams > 0) return;
    if (initialised) {
        keepSoundPluginsLoaded();
        QuietStderr quiet;
        Pa_Terminate();
        initialised = false;
    }
    initialise();
}

constexpr unsigned long outputFrameBytes = 4;  // 16-bit stereo

int inputCallback(const void* input, void*, unsigned long frames,
                  const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* user) {
    if (input == nullptr) return paContinue;
    bool returned;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        returned = recordInput(*static_cast<Device*>(user), static_cast<const std::uint8_t*>(input),
                               frames);
    }
    if (returned) wakeNotifier();
    return paContinue;
}

int outputCallback(const void*, void* output, unsigned long frames,
                   const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* user) {
    bool returned;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        returned = playOutput(*static_cast<Device*>(user), static_cast<std::uint8_t*>(output),
                              frames * outputFrameBytes);
    }
    if (returned) wakeNotifier();
    return paContinue;
}

win::MMRESULT resultFor(PaError error) {
    switch (error) {
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paInvalidChannelCount:
        return win::WAVERR_BADFORMAT;
    case paInvalidDevice:
    case paDeviceUnavailable:
        return win::MMSYSERR_NODRIVER;
    default:
        return win::MMSYSERR_ERROR;
    }
}

win::MMRESULT openStream(Device& device, const win::WAVEFORMATEX& format) {
    if (!initialise()) return win::MMSYSERR_NODRIVER;
    PaDeviceIndex index = device.input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
    if (info == nullptr) return win::MMSYSERR_NODRIVER;

    PaStreamParameters parameters{};
    parameters.device = index;
    parameters.channelCount = format.nChannels;
    parameters.sampleFormat = device.input ? paUInt8 : paInt16;
    // The programs queue whole frames of a third of a second or more, so a
    // generous latency costs nothing and keeps the callbacks few.
    parameters.suggestedLatency =
        device.input ? info->defaultHighInputLatency : info->defaultHighOutputLatency;
    const PaStreamParameters* in = device.input ? &parameters : nullptr;
    const PaStreamParameters* out = device.input ? nullptr : &parameters;
    double rate = format.nSamplesPerSec;

    QuietStderr quiet;
    PaError error = Pa_IsFormatSupported(in, out, rate);
    if (error != paFormatIsSupported) return resultFor(error);
    PaStream* stream = nullptr;
    // About a tenth of a second per callback: a few callbacks a second
    // instead of a couple of hundred, which is most of the programs' CPU.
    constexpr unsigned long FramesPerCallback = 1024;
    error = Pa_OpenStream(&stream, in, out, rate, FramesPerCallback, paNoFlag,
                          device.input ? inputCallback : outputCallback, &device);
    if (error != paNoError) return resultFor(error);
    // An output stream that stops without being told to has failed (the
    // device went away): the window hears of it.
    if (!device.input)
        Pa_SetStreamFinishedCallback(stream, [](void* user) {
            auto& d = *static_cast<Device*>(user);
            bool told;
            {
                std::lock_guard<std::mutex> lock(stateMutex());
                told = d.stopping;
            }
            if (!told) postNow(d.window, platform::WM_PLAYBACKFAILED, static_cast<win::WPARAM>(d.id), 0);
        });
    error = Pa_StartStream(stream);
    if (error != paNoError) {
        Pa_CloseStream(stream);
        return resultFor(error);
    }
    device.stream = stream;
    return win::MMSYSERR_NOERROR;
}

}  // namespace

win::MMRESULT portAudioOpen(Device& device, const win::WAVEFORMATEX& format) {
    win::MMRESULT result = openStream(device, format);
    if (result != win::MMSYSERR_NOERROR && openStreams == 0) {
        reinitialise();
        result = openStream(device, format);
    }
    if (result == win::MMSYSERR_NOERROR) ++openStreams;
    return result;
}

namespace {

void markStopping(Device& device, bool stopping) {
    std::lock_guard<std::mutex> lock(stateMutex());
    device.stopping = stopping;
}

}  // namespace

void portAudioPaused(Device& device) {
    auto* stream = static_cast<PaStream*>(device.stream);
    if (stream == nullptr) return;
    markStopping(device, true);
    Pa_AbortStream(stream);
}

void portAudioRestarted(Device& device) {
    auto* stream = static_cast<PaStream*>(device.stream);
    if (stream == nullptr) return;
    markStopping(device, false);
    QuietStderr quiet;
    Pa_StartStream(stream);
}

int portAudioDelay(Device& device) {
    auto* stream = static_cast<PaStream*>(device.stream);
    if (stream == nullptr || Pa_IsStreamActive(stream) != 1) return 0;
    const PaStreamInfo* info = Pa_GetStreamInfo(stream);
    return info != nullptr ? static_cast<int>(info->outputLatency * 1000 + 0.5) : 0;
}

void portAudioClose(Device& device) {
    auto* stream = static_cast<PaStream*>(device.stream);
    if (stream == nullptr) return;
    markStopping(device, true);
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
    device.stream = nullptr;
    --openStreams;
}

}  // namespace wavedev
