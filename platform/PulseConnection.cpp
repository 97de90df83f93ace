// The connection to the sound server: main loop, context, the lists of
// sources and sinks, and reconnecting when the server comes (back).
#include "platform/PulseConnection.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/WaveDevice.h"

namespace pulseconn {
namespace {

struct Direction {
    std::vector<platform::SoundDevice> devices, incoming;
    std::vector<std::uint32_t> incomingCards;  // the card of each incoming device
    std::string defaultName;
    win::HWND window = nullptr;  // watching; posted to on every change
};

std::mutex nameMutex;
std::string applicationName = "NBTV";  // guarded by nameMutex

// Guarded by the main-loop lock.
struct State {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    Direction in, out;
    std::map<std::uint32_t, std::string> incomingCards;  // card index -> its description
    int listsPending = 0;      // list requests not yet answered
    bool listAgain = false;    // something changed while they ran
    pa_time_event* retry = nullptr;
};

// Never destroyed: the main loop's thread may still run at exit.
State& state() {
    static auto* s = new State;
    return *s;
}

Direction& direction(bool input) { return input ? state().in : state().out; }
bool watching() { return state().in.window != nullptr || state().out.window != nullptr; }

void post(bool input) {
    if (win::HWND window = direction(input).window)
        wavedev::postNow(window, platform::WM_SOUNDDEVICES, input ? 1 : 0, 0);
}

void refreshLists(pa_context* c);

// The incoming devices get their cards' names and become the known ones.
void takeIncoming(Direction& d, const std::map<std::uint32_t, std::string>& cards) {
    for (std::size_t i = 0; i < d.incoming.size() && i < d.incomingCards.size(); ++i) {
        const auto card = cards.find(d.incomingCards[i]);
        if (card != cards.end()) d.incoming[i].card = card->second;
    }
    d.devices.swap(d.incoming);
}

void listAnswered() {
    State& s = state();
    if (--s.listsPending > 0) return;
    takeIncoming(s.in, s.incomingCards);
    takeIncoming(s.out, s.incomingCards);
    post(true);
    post(false);
    if (std::exchange(s.listAgain, false)) refreshLists(s.context);
}

template <class Info>
void collect(pa_context* c, const Info* info, int eol, Direction& d) {
    if (c != state().context) return;  // an answer to a context given up
    if (eol != 0) {
        listAnswered();
        return;
    }
    d.incoming.push_back({info->index, info->name != nullptr ? info->name : "",
                          info->description != nullptr ? info->description : "",
                          info->active_port != nullptr && info->active_port->description != nullptr
                              ? info->active_port->description
                              : "",
                          ""});
    d.incomingCards.push_back(info->card);
}

void refreshLists(pa_context* c) {
    State& s = state();
    if (c == nullptr || pa_context_get_state(c) != PA_CONTEXT_READY) return;
    if (s.listsPending > 0) {
        s.listAgain = true;
        return;
    }
    s.in.incoming.clear();
    s.out.incoming.clear();
    s.in.incomingCards.clear();
    s.out.incomingCards.clear();
    s.incomingCards.clear();
    s.listsPending = 4;
    auto sources = [](pa_context* c, const pa_source_info* i, int eol, void*) {
        collect(c, i, eol, state().in);
    };
    auto sinks = [](pa_context* c, const pa_sink_info* i, int eol, void*) {
        collect(c, i, eol, state().out);
    };
    auto server = [](pa_context* c, const pa_server_info* i, void*) {
        if (c != state().context) return;
        if (i != nullptr) {
            state().in.defaultName = i->default_source_name != nullptr ? i->default_source_name : "";
            state().out.defaultName = i->default_sink_name != nullptr ? i->default_sink_name : "";
        }
        listAnswered();
    };
    auto cards = [](pa_context* c, const pa_card_info* i, int eol, void*) {
        if (c != state().context) return;
        if (eol != 0) {
            listAnswered();
            return;
        }
        const char* description = pa_proplist_gets(i->proplist, PA_PROP_DEVICE_DESCRIPTION);
        state().incomingCards[i->index] = description != nullptr ? description : i->name != nullptr ? i->name : "";
    };
    for (pa_operation* o : {pa_context_get_server_info(c, server, nullptr),
                            pa_context_get_card_info_list(c, cards, nullptr),
                            pa_context_get_source_info_list(c, sources, nullptr),
                            pa_context_get_sink_info_list(c, sinks, nullptr)}) {
        if (o != nullptr) {
            pa_operation_unref(o);
        } else {
            listAnswered();
        }
    }
}

void connectContext();

void armRetry() {
    State& s = state();
    if (!watching() || s.retry != nullptr) return;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(s.loop);
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), 2 * PA_USEC_PER_SEC);
    s.retry = api->time_new(
        api, &when,
        [](pa_mainloop_api* a, pa_time_event* e, const timeval*, void*) {
            a->time_free(e);
            state().retry = nullptr;
            pa_context* c = state().context;
            if (c == nullptr || !PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) connectContext();
        },
        nullptr);
}

void contextState(pa_context* c, void*) {
    State& s = state();
    if (c != s.context) return;
    pa_context_state_t st = pa_context_get_state(c);
    if (st == PA_CONTEXT_READY) {
        pa_context_set_subscribe_callback(
            c,
            [](pa_context* c, pa_subscription_event_type_t, std::uint32_t, void*) { refreshLists(c); },
            nullptr);
        auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                        PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_CARD |
                                                        PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* o = pa_context_subscribe(c, mask, nullptr, nullptr)) pa_operation_unref(o);
        refreshLists(c);
    } else if (!PA_CONTEXT_IS_GOOD(st)) {
        s.in.devices.clear();
        s.out.devices.clear();
        s.in.defaultName.clear();
        s.out.defaultName.clear();
        s.listsPending = 0;
        s.listAgain = false;
        post(true);
        post(false);
        armRetry();
    }
    pa_threaded_mainloop_signal(s.loop, 0);
}

// Gives up the old context (whose streams, if any, have failed with it)
// and starts connecting a new one.
void connectContext() {
    State& s = state();
    if (s.context != nullptr) {
        pa_context_set_state_callback(s.context, nullptr, nullptr);
        pa_context_set_subscribe_callback(s.context, nullptr, nullptr);
        pa_context_disconnect(s.context);
        pa_context_unref(s.context);
    }
    std::string name;
    {
        std::lock_guard<std::mutex> lock(nameMutex);
        name = applicationName;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, name.c_str());
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "nbtv");
    s.context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(s.loop), name.c_str(),
                                             properties);
    pa_proplist_free(properties);
    if (s.context == nullptr) return;
    s.listsPending = 0;
    s.listAgain = false;
    pa_context_set_state_callback(s.context, contextState, nullptr);
    // No autospawn: a server that is not running is left alone, and the
    // PortAudio backend is used instead.
    if (pa_context_connect(s.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        contextState(s.context, nullptr);
}

}  // namespace

pa_threaded_mainloop* mainloop() {
    static std::once_flag once;
    std::call_once(once, [] {
        State& s = state();
        s.loop = pa_threaded_mainloop_new();
        pa_threaded_mainloop_set_name(s.loop, "nbtv-sound");
        pa_threaded_mainloop_start(s.loop);
    });
    return state().loop;
}

bool waitFor(double seconds, const std::function<bool()>& done) {
    if (done()) return true;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop());
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), static_cast<pa_usec_t>(seconds * PA_USEC_PER_SEC));
    bool late = false;
    pa_time_event* timer = api->time_new(
        api, &when,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* flag) {
            *static_cast<bool*>(flag) = true;
            pa_threaded_mainloop_signal(state().loop, 0);
        },
        &late);
    while (!done() && !late) pa_threaded_mainloop_wait(state().loop);
    api->time_free(timer);
    return done();
}

pa_context* readyContext() {
    State& s = state();
    auto state = [&s] { return s.context != nullptr ? pa_context_get_state(s.context) : PA_CONTEXT_FAILED; };
    if (!PA_CONTEXT_IS_GOOD(state())) connectContext();
    waitFor(5, [&] { return state() == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state()); });
    return state() == PA_CONTEXT_READY ? s.context : nullptr;
}

pa_proplist* streamProperties(bool input) {
    pa_proplist* p = pa_proplist_new();
    pa_proplist_sets(p, PA_PROP_MEDIA_NAME, input ? "Picture signal in" : "Picture signal out");
    pa_proplist_sets(p, PA_PROP_MEDIA_ROLE, "production");
    pa_proplist_sets(p, PA_PROP_MEDIA_ICON_NAME, "nbtv");
    pa_proplist_sets(p, PA_PROP_APPLICATION_ICON_NAME, "nbtv");
    return p;
}

const std::vector<platform::SoundDevice>& devices(bool input) { return direction(input).devices; }
const std::string& defaultDevice(bool input) { return direction(input).defaultName; }
void announceChange(bool input) { post(input); }

}  // namespace pulseconn

namespace platform {

void setSoundApplicationName(const std::string& name) {
    std::lock_guard<std::mutex> lock(pulseconn::nameMutex);
    pulseconn::applicationName = name;
}

void watchSoundDevices(bool input, win::HWND window) {
    if (wavedev::substituteOpenInForce() != nullptr ||
        wavedev::soundChoice() == wavedev::SoundChoice::PortAudio)
        return;
    pa_threaded_mainloop* loop = pulseconn::mainloop();
    pa_threaded_mainloop_lock(loop);
    pulseconn::direction(input).window = window;
    if (window == nullptr) {
        pa_threaded_mainloop_unlock(loop);
        return;
    }
    pa_context* c = pulseconn::state().context;
    if (c == nullptr || !PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) {
        pulseconn::connectContext();  // answers come through the state callback
    } else if (pa_context_get_state(c) == PA_CONTEXT_READY) {
        pulseconn::post(input);
    }
    pa_threaded_mainloop_unlock(loop);
}

}  // namespace platform
