// The sound server's own backend: one stream per open device, on the
// server's default source or sink (or wherever the server's stream-restore
// puts this program's stream), through libpulse's asynchronous API.
//
// The streams are sized so that the server wakes us about once a frame:
// the program's frames are its buffers, so the sizes are set from the first
// buffer queued. Capture gets one fragment a buffer long; playback keeps
// three buffers' worth at the server and is asked for more whenever one
// buffer's worth has played. Playback writes only what the program has
// queued: when the queue runs dry the server plays silence (an underflow)
// and starts again once a buffer's worth has been written.
#include <algorithm>
#include <cstdlib>
#include <cstdio>

#include "platform/PlaybackState.h"
#include "platform/PulseConnection.h"
#include "platform/WaveDevice.h"

namespace wavedev {
namespace {

struct PulseStream {
    pa_stream* stream = nullptr;
    bool input = true;
    bool sized = false;          // buffer attributes set from the first buffer
    unsigned underflows = 0;
};

PulseStream* pulseOf(const Device& device) { return static_cast<PulseStream*>(device.stream); }

class MainloopLock {
public:
    MainloopLock() : loop_(pulseconn::mainloop()) { pa_threaded_mainloop_lock(loop_); }
    ~MainloopLock() { pa_threaded_mainloop_unlock(loop_); }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

constexpr std::size_t OutputFrameBytes = 4;  // 16-bit stereo

void readCallback(pa_stream* s, std::size_t, void* user) {
    auto& device = *static_cast<Device*>(user);
    bool returned = false;
    while (pa_stream_readable_size(s) > 0) {
        const void* data = nullptr;
        std::size_t n = 0;
        if (pa_stream_peek(s, &data, &n) < 0 || n == 0) break;
        {
            std::lock_guard<std::mutex> lock(stateMutex());
            if (data != nullptr) {
                returned |= recordInput(device, static_cast<const std::uint8_t*>(data), n);
            } else {
                // A hole (samples the server lost): zero signal in their place,
                // so that the frame timing holds.
                static std::uint8_t zero[1024];
                if (zero[0] == 0) std::fill(std::begin(zero), std::end(zero), 128);
                for (std::size_t left = n; left > 0;) {
                    std::size_t k = std::min(left, sizeof zero);
                    returned |= recordInput(device, zero, k);
                    left -= k;
                }
            }
        }
        pa_stream_drop(s);
    }
    if (returned) deliverFromDevice();
}

// Bytes queued for playing, whole sample frames only.
std::size_t queuedBytes(const Device& device) {
    std::size_t total = 0;
    for (const win::WAVEHDR* h = device.head; h != nullptr; h = h->lpNext)
        total += h->dwBufferLength - (h == device.head ? device.headOffset : 0);
    return total - total % OutputFrameBytes;
}

// Copies up to `count` queued bytes to `out`, returning each buffer played
// to its end; the number copied.
std::size_t takeQueued(Device& device, std::uint8_t* out, std::size_t count, bool& returned) {
    std::size_t copied = 0;
    while (device.head != nullptr && copied < count) {
        win::WAVEHDR* header = device.head;
        std::size_t n = std::min<std::size_t>(header->dwBufferLength - device.headOffset, count - copied);
        std::copy_n(reinterpret_cast<const std::uint8_t*>(header->lpData) + device.headOffset, n,
                    out + copied);
        device.headOffset += static_cast<win::DWORD>(n);
        copied += n;
        if (device.headOffset < header->dwBufferLength) break;
        returnHead(device, 0);
        returned = true;
    }
    return copied;
}

// Writes what the server asks for, as far as the queue holds it. Runs on
// the main loop's thread, or on the GUI thread with the main-loop lock.
void writeQueued(pa_stream* s, Device& device) {
    std::size_t wanted = pa_stream_writable_size(s);
    if (wanted == static_cast<std::size_t>(-1) || wanted == 0) return;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        wanted = std::min(wanted, queuedBytes(device));
    }
    if (wanted == 0) return;
    void* data = nullptr;
    std::size_t room = wanted;
    if (pa_stream_begin_write(s, &data, &room) < 0 || data == nullptr) return;
    bool returned = false;
    std::size_t copied;
    {
        // The queue may have been reset meanwhile: take what is there now.
        std::lock_guard<std::mutex> lock(stateMutex());
        std::size_t count = std::min({room, wanted, queuedBytes(device)});
        copied = takeQueued(device, static_cast<std::uint8_t*>(data), count, returned);
    }
    if (copied == 0) {
        pa_stream_cancel_write(s);
    } else {
        pa_stream_write(s, data, copied, nullptr, 0, PA_SEEK_RELATIVE);
    }
    if (returned) deliverFromDevice();
}

win::MMRESULT resultFor(int error) {
    switch (error) {
    case PA_ERR_NOTSUPPORTED:
    case PA_ERR_INVALID:
    case PA_ERR_TOOLARGE:
        return win::WAVERR_BADFORMAT;
    case PA_ERR_NOENTITY:
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_KILLED:
        return win::MMSYSERR_NODRIVER;
    default:
        return win::MMSYSERR_ERROR;
    }
}

void uncork(pa_stream* s) {
    if (pa_operation* o = pa_stream_cork(s, 0, nullptr, nullptr)) pa_operation_unref(o);
}

// Sizes the stream from one buffer of `bytes` (once), and reports what the
// server granted when NBTV_SOUND_DEBUG is set (PipeWire grants less than
// asked).
void sizeFromBuffer(PulseStream& ps, std::uint32_t bytes) {
    if (ps.sized || bytes == 0) return;
    ps.sized = true;
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.prebuf = attr.minreq = attr.tlength = attr.fragsize = static_cast<std::uint32_t>(-1);
    if (ps.input) {
        attr.fragsize = bytes;
    } else {
        bytes -= bytes % OutputFrameBytes;
        attr.tlength = 3 * bytes;
        attr.minreq = bytes;
        attr.prebuf = bytes;
    }
    auto granted = [](pa_stream* s, int, void*) {
        if (std::getenv("NBTV_SOUND_DEBUG") == nullptr) return;
        if (const pa_buffer_attr* a = pa_stream_get_buffer_attr(s))
            std::fprintf(stderr, "nbtv sound: maxlength %u tlength %u prebuf %u minreq %u fragsize %u\n",
                         a->maxlength, a->tlength, a->prebuf, a->minreq, a->fragsize);
    };
    if (pa_operation* o = pa_stream_set_buffer_attr(ps.stream, &attr, granted, nullptr))
        pa_operation_unref(o);
}

std::uint32_t headLength(const Device& device) {
    std::lock_guard<std::mutex> lock(stateMutex());
    return device.head != nullptr ? device.head->dwBufferLength : 0;
}

PulseStream* newestPulse(bool input) {
    std::lock_guard<std::mutex> lock(stateMutex());
    Device* device = newestDevice(input, Backend::Pulse);
    return device != nullptr ? pulseOf(*device) : nullptr;
}

bool pulseWanted() {
    return substituteOpenInForce() == nullptr && soundChoice() != SoundChoice::PortAudio;
}

// Detaches our callbacks and lets the stream go; with the main loop locked.
void releaseStream(pa_stream* s) {
    pa_stream_set_state_callback(s, nullptr, nullptr);
    pa_stream_set_read_callback(s, nullptr, nullptr);
    pa_stream_set_write_callback(s, nullptr, nullptr);
    pa_stream_set_moved_callback(s, nullptr, nullptr);
    pa_stream_set_underflow_callback(s, nullptr, nullptr);
    pa_stream_disconnect(s);
    pa_stream_unref(s);
}

}  // namespace

bool pulseAvailable() {
    MainloopLock lock;
    return pulseconn::readyContext() != nullptr;
}

win::MMRESULT pulseOpen(Device& device, const win::WAVEFORMATEX& format) {
    pa_sample_spec spec{device.input ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE, format.nSamplesPerSec,
                        static_cast<std::uint8_t>(format.nChannels)};
    if (!pa_sample_spec_valid(&spec)) return win::WAVERR_BADFORMAT;
    MainloopLock lock;
    pa_context* c = pulseconn::readyContext();
    if (c == nullptr) return win::MMSYSERR_NODRIVER;
    pa_proplist* properties = pulseconn::streamProperties(device.input);
    pa_stream* s = pa_stream_new_with_proplist(
        c, device.input ? "Picture signal in" : "Picture signal out", &spec, nullptr, properties);
    pa_proplist_free(properties);
    if (s == nullptr) return resultFor(pa_context_errno(c));

    // A playback stream that fails once it is running (the server went
    // away, the stream was killed) is reported to the window: its buffers
    // will not come back.
    pa_stream_set_state_callback(
        s,
        [](pa_stream* stream, void* d) {
            auto& device = *static_cast<Device*>(d);
            if (!device.input && pulseOf(device) != nullptr &&
                !PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
                postNow(device.window, platform::WM_PLAYBACKFAILED,
                        static_cast<win::WPARAM>(device.id), 0);
            pa_threaded_mainloop_signal(pulseconn::mainloop(), 0);
        },
        &device);
    auto moved = [](pa_stream*, void* input) { pulseconn::announceChange(input != nullptr); };
    pa_stream_set_moved_callback(s, moved, device.input ? &device : nullptr);
    // Until the first buffer sizes the stream: a quarter of a second.
    pa_buffer_attr attr;
    attr.maxlength = attr.tlength = attr.prebuf = attr.minreq = attr.fragsize =
        static_cast<std::uint32_t>(-1);
    std::uint32_t quarter = static_cast<std::uint32_t>(pa_bytes_per_second(&spec) / 4);
    quarter -= quarter % static_cast<std::uint32_t>(pa_frame_size(&spec));
    int connected;
    if (device.input) {
        attr.fragsize = quarter;
        pa_stream_set_read_callback(s, readCallback, &device);
        connected = pa_stream_connect_record(
            s, nullptr, &attr,
            static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY));
    } else {
        attr.tlength = 4 * quarter;
        attr.minreq = quarter;
        attr.prebuf = quarter;
        pa_stream_set_write_callback(
            s, [](pa_stream* s, std::size_t, void* d) { writeQueued(s, *static_cast<Device*>(d)); },
            &device);
        // The server plays silence until a buffer's worth is written again.
        pa_stream_set_underflow_callback(
            s,
            [](pa_stream*, void* d) {
                PulseStream* ps = pulseOf(*static_cast<Device*>(d));
                if (ps == nullptr) return;
                unsigned n = ++ps->underflows;
                if (std::getenv("NBTV_SOUND_DEBUG") != nullptr)
                    std::fprintf(stderr, "nbtv sound: playback ran dry (%u times)\n", n);
            },
            &device);
        connected = pa_stream_connect_playback(s, nullptr, &attr, PA_STREAM_START_CORKED, nullptr,
                                               nullptr);
    }
    auto settled = [s] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(s)) ||
                                pa_stream_get_state(s) == PA_STREAM_READY; };
    if (connected < 0 || !pulseconn::waitFor(5, settled) ||
        pa_stream_get_state(s) != PA_STREAM_READY) {
        int error = pa_context_errno(c);
        releaseStream(s);
        return error == PA_OK ? win::MMSYSERR_ERROR : resultFor(error);
    }
    device.stream = new PulseStream{s, device.input};
    pulseconn::announceChange(device.input);
    return win::MMSYSERR_NOERROR;
}

void pulseClose(Device& device) {
    PulseStream* ps = pulseOf(device);
    if (ps == nullptr) return;
    {
        MainloopLock lock;
        pa_stream* s = ps->stream;
        releaseStream(s);
    }
    delete ps;
    device.stream = nullptr;
}

void pulseStarted(Device& device) {
    PulseStream* ps = pulseOf(device);
    if (ps == nullptr) return;
    std::uint32_t bytes = headLength(device);
    MainloopLock lock;
    if (pa_stream_get_state(ps->stream) != PA_STREAM_READY) return;
    sizeFromBuffer(*ps, bytes);
    uncork(ps->stream);
}

void pulseQueued(Device& device) {
    PulseStream* ps = pulseOf(device);
    if (ps == nullptr || device.input) return;
    std::uint32_t bytes = headLength(device);
    MainloopLock lock;
    if (pa_stream_get_state(ps->stream) != PA_STREAM_READY) return;
    if (!ps->sized) {
        sizeFromBuffer(*ps, bytes);
        if (!device.paused) uncork(ps->stream);
    }
    writeQueued(ps->stream, device);
}

void pulsePaused(Device& device) {
    PulseStream* ps = pulseOf(device);
    if (ps == nullptr) return;
    MainloopLock lock;
    if (pa_stream_get_state(ps->stream) != PA_STREAM_READY) return;
    if (pa_operation* o = pa_stream_cork(ps->stream, 1, nullptr, nullptr)) pa_operation_unref(o);
}

void pulseRestarted(Device& device) {
    PulseStream* ps = pulseOf(device);
    if (ps == nullptr) return;
    std::uint32_t bytes = headLength(device);
    MainloopLock lock;
    if (pa_stream_get_state(ps->stream) != PA_STREAM_READY) return;
    // Until a buffer has been queued the stream keeps waiting for one.
    if (!ps->sized) {
        if (bytes == 0) return;
        sizeFromBuffer(*ps, bytes);
    }
    uncork(ps->stream);
    writeQueued(ps->stream, device);
}

int pulseDelay(Device& device) {
    PulseStream* ps = pulseOf(device);
    if (ps == nullptr) return 0;
    MainloopLock lock;
    pa_stream* s = ps->stream;
    if (pa_stream_get_state(s) != PA_STREAM_READY) return 0;
    bool updated = false;
    auto done = [](pa_stream*, int, void* flag) {
        *static_cast<bool*>(flag) = true;
        pa_threaded_mainloop_signal(pulseconn::mainloop(), 0);
    };
    if (pa_operation* o = pa_stream_update_timing_info(s, done, &updated)) {
        pulseconn::waitFor(0.5, [&updated] { return updated; });
        // An answer that did not come in time must not write to `updated`.
        if (pa_operation_get_state(o) == PA_OPERATION_RUNNING) pa_operation_cancel(o);
        pa_operation_unref(o);
    }
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(s, &latency, &negative) < 0 || negative) latency = 0;
    if (std::getenv("NBTV_SOUND_DEBUG") != nullptr)
        std::fprintf(stderr, "nbtv sound: %llu us still to play\n", static_cast<unsigned long long>(latency));
    return static_cast<int>((latency + 999) / 1000);
}

void pulseReset(Device& device) {
    PulseStream* ps = pulseOf(device);
    if (ps == nullptr) return;
    MainloopLock lock;
    if (pa_stream_get_state(ps->stream) != PA_STREAM_READY) return;
    // Output stops at once: what the server still holds is dropped. Input
    // stops at the server too until the next start.
    pa_operation* o = device.input ? pa_stream_cork(ps->stream, 1, nullptr, nullptr)
                                   : pa_stream_flush(ps->stream, nullptr, nullptr);
    if (o != nullptr) pa_operation_unref(o);
}

}  // namespace wavedev

namespace platform {

SoundDeviceList soundDevices(bool input) {
    SoundDeviceList list;
    if (!wavedev::pulseWanted()) return list;
    wavedev::PulseStream* ps = wavedev::newestPulse(input);
    wavedev::MainloopLock lock;
    list.devices = pulseconn::devices(input);
    list.defaultName = pulseconn::defaultDevice(input);
    if (ps != nullptr && pa_stream_get_state(ps->stream) == PA_STREAM_READY)
        list.streamDevice = pa_stream_get_device_index(ps->stream);
    return list;
}

bool moveSoundStream(bool input, std::uint32_t deviceIndex) {
    if (!wavedev::pulseWanted()) return false;
    wavedev::PulseStream* ps = wavedev::newestPulse(input);
    if (ps == nullptr) return false;
    wavedev::MainloopLock lock;
    pa_stream* s = ps->stream;
    if (pa_stream_get_state(s) != PA_STREAM_READY) return false;
    pa_context* c = pa_stream_get_context(s);
    std::uint32_t stream = pa_stream_get_index(s);
    // Whatever the server answers, the window is told, and shows where the
    // stream is now.
    auto answered = [](pa_context*, int, void* in) { pulseconn::announceChange(in != nullptr); };
    static int inputTag;
    void* tag = input ? &inputTag : nullptr;
    pa_operation* o = nullptr;
    if (deviceIndex == NoSoundDevice) {
        const std::string& name = pulseconn::defaultDevice(input);
        if (name.empty()) return false;
        o = input ? pa_context_move_source_output_by_name(c, stream, name.c_str(), answered, tag)
                  : pa_context_move_sink_input_by_name(c, stream, name.c_str(), answered, tag);
    } else {
        o = input ? pa_context_move_source_output_by_index(c, stream, deviceIndex, answered, tag)
                  : pa_context_move_sink_input_by_index(c, stream, deviceIndex, answered, tag);
    }
    if (o == nullptr) return false;
    pa_operation_unref(o);
    return true;
}

}  // namespace platform
