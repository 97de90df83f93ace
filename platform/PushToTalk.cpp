// The push-to-talk thread and its hamlib driver.
#include "platform/PushToTalk.h"

#include <hamlib/rig.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "core/MessagePost.h"

namespace platform {

namespace {

// --- hamlib ------------------------------------------------------------------

// Long enough for a radio on a serial line, short enough that a silent one
// is reported within a few seconds.
constexpr const char* TimeoutMilliseconds = "1500";

RIG* rig = nullptr;  // the push-to-talk thread's only

bool configure(RIG* r, const char* name, const std::string& value) {
    return rig_set_conf(r, rig_token_lookup(r, name), value.c_str()) == RIG_OK;
}

std::string hamlibText(int code) {
    std::string text = rigerror2(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

void hamlibClose() {
    if (rig == nullptr) return;
    rig_close(rig);
    rig_cleanup(rig);
    rig = nullptr;
}

bool hamlibOpen(const core::PushToTalkChoice& choice, std::string& errorText) {
    hamlibClose();
    rig_set_debug(RIG_DEBUG_NONE);
    using core::PushToTalkKind;
    const rig_model_t model = choice.kind == PushToTalkKind::Rigctld ? RIG_MODEL_NETRIGCTL
                              : choice.kind == PushToTalkKind::Rig   ? choice.model
                                                                     : RIG_MODEL_DUMMY;
    rig = rig_init(model);
    if (rig == nullptr) {
        errorText = "hamlib knows no radio model " + std::to_string(choice.model);
        return false;
    }
    bool configured = configure(rig, "timeout", TimeoutMilliseconds) && configure(rig, "retry", "0");
    switch (choice.kind) {
    case PushToTalkKind::Rigctld:
        configured &= configure(rig, "rig_pathname", choice.host + ":" + std::to_string(choice.port));
        break;
    case PushToTalkKind::Rig:
        configured &= configure(rig, "rig_pathname", choice.device) && configure(rig, "ptt_type", "RIG");
        if (choice.baud > 0) configured &= configure(rig, "serial_speed", std::to_string(choice.baud));
        break;
    case PushToTalkKind::Rts:
    case PushToTalkKind::Dtr:
        configured &= configure(rig, "ptt_type", choice.kind == PushToTalkKind::Rts ? "RTS" : "DTR") &&
                      configure(rig, "ptt_pathname", choice.device);
        break;
    case PushToTalkKind::None: break;
    }
    if (!configured) {
        errorText = "hamlib does not take these settings";
        rig_cleanup(rig);
        rig = nullptr;
        return false;
    }
    const int opened = rig_open(rig);
    if (opened != RIG_OK) {
        errorText = hamlibText(opened);
        rig_cleanup(rig);
        rig = nullptr;
        return false;
    }
    return true;
}

bool hamlibKey(bool keyed, std::string& errorText) {
    if (rig == nullptr) {
        errorText = "not connected";
        return false;
    }
    const int done = rig_set_ptt(rig, RIG_VFO_CURR, keyed ? RIG_PTT_ON : RIG_PTT_OFF);
    if (done != RIG_OK) errorText = hamlibText(done);
    return done == RIG_OK;
}

const PushToTalkDriver hamlibDriver{hamlibOpen, hamlibKey, hamlibClose};

// --- The thread ----------------------------------------------------------------

enum class Request { Choose, Key, Release, End };

struct Order {
    Request request;
    int number;
    int milliseconds;
    core::PushToTalkChoice choice;
    win::HWND window;
};

struct Worker {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Order> orders;
    std::thread thread;
    int lastNumber = 0;
    std::string error;  // guarded by mutex
    std::atomic<const PushToTalkDriver*> driver{&hamlibDriver};

    // The thread's own.
    core::PushToTalkChoice choice;
    win::HWND window = nullptr;
    bool connected = false;
    bool keyed = false;
};

Worker& worker() {
    static auto* w = new Worker;  // never destroyed: the thread may outlive main's statics
    return *w;
}

void fail(Worker& w, int number, const std::string& why) {
    {
        std::lock_guard<std::mutex> lock(w.mutex);
        w.error = describePushToTalk(w.choice) + ": " + why;
    }
    core::postWindowMessage(w.window, WM_PUSHTOTALK, PushToTalkFailed, number);
}

void disconnect(Worker& w) {
    if (w.connected) w.driver.load()->close();
    w.connected = false;
    w.keyed = false;
}

// Sets the line; a radio that does not answer is let go, to be reached
// afresh next time.
bool setKeyed(Worker& w, bool keyed, int number) {
    std::string why;
    if (!w.connected) {
        if (!w.driver.load()->open(w.choice, why)) {
            fail(w, number, why);
            return false;
        }
        w.connected = true;
    }
    if (!w.driver.load()->key(keyed, why)) {
        disconnect(w);
        fail(w, number, why);
        return false;
    }
    w.keyed = keyed;
    return true;
}

void release(Worker& w, int number, int delay) {
    if (!w.keyed) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    setKeyed(w, false, number);
}

void run() {
    Worker& w = worker();
    for (;;) {
        Order order;
        {
            std::unique_lock<std::mutex> lock(w.mutex);
            w.wake.wait(lock, [&w] { return !w.orders.empty(); });
            order = w.orders.front();
            w.orders.pop_front();
        }
        switch (order.request) {
        case Request::Choose:
            release(w, order.number, 0);
            disconnect(w);
            w.choice = order.choice;
            w.window = order.window;
            break;
        case Request::Key:
            if (w.choice.kind == core::PushToTalkKind::None) {
                fail(w, order.number, "no push-to-talk chosen");
            } else if (setKeyed(w, true, order.number)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(order.milliseconds));
                core::postWindowMessage(w.window, WM_PUSHTOTALK, PushToTalkKeyed, order.number);
            }
            break;
        case Request::Release:
            if (!w.keyed) {
                core::postWindowMessage(w.window, WM_PUSHTOTALK, PushToTalkReleased, order.number);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(order.milliseconds));
            if (setKeyed(w, false, order.number))
                core::postWindowMessage(w.window, WM_PUSHTOTALK, PushToTalkReleased, order.number);
            break;
        case Request::End:
            release(w, order.number, order.milliseconds);
            disconnect(w);
            return;
        }
    }
}

int order(Request request, int milliseconds, const core::PushToTalkChoice& choice = {},
          win::HWND window = nullptr) {
    Worker& w = worker();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (!w.thread.joinable()) w.thread = std::thread(run);
    const int number = ++w.lastNumber;
    w.orders.push_back({request, number, milliseconds < 0 ? 0 : milliseconds, choice, window});
    w.wake.notify_one();
    return number;
}

}  // namespace

void choosePushToTalk(win::HWND window, const core::PushToTalkChoice& choice) {
    order(Request::Choose, 0, choice, window);
}

int keyRadio(int leadMs) { return order(Request::Key, leadMs); }

int releaseRadio(int delayMs) { return order(Request::Release, delayMs); }

void endPushToTalk(int delayMs) {
    Worker& w = worker();
    {
        std::lock_guard<std::mutex> lock(w.mutex);
        if (!w.thread.joinable()) return;
    }
    order(Request::End, delayMs);
    w.thread.join();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.thread = std::thread();
    w.orders.clear();
}

std::string pushToTalkError() {
    Worker& w = worker();
    std::lock_guard<std::mutex> lock(w.mutex);
    return w.error;
}

std::string describePushToTalk(const core::PushToTalkChoice& choice) {
    using core::PushToTalkKind;
    switch (choice.kind) {
    case PushToTalkKind::Rigctld: return "rigctld at " + choice.host + ":" + std::to_string(choice.port);
    case PushToTalkKind::Rig: return "radio model " + std::to_string(choice.model) + " on " + choice.device;
    case PushToTalkKind::Rts: return "RTS of " + choice.device;
    case PushToTalkKind::Dtr: return "DTR of " + choice.device;
    case PushToTalkKind::None: break;
    }
    return "no push-to-talk";
}

std::string radioModels() {
    rig_set_debug(RIG_DEBUG_NONE);
    rig_load_all_backends();
    std::vector<std::pair<int, std::string>> models;
    rig_list_foreach(
        [](const rig_caps* caps, rig_ptr_t data) {
            auto& list = *static_cast<std::vector<std::pair<int, std::string>>*>(data);
            list.emplace_back(static_cast<int>(caps->rig_model),
                              std::string(caps->mfg_name) + " " + caps->model_name);
            return 1;  // go on
        },
        &models);
    std::sort(models.begin(), models.end());
    std::string text;
    for (const auto& [number, name] : models) text += std::to_string(number) + " " + name + "\n";
    return text;
}

void setPushToTalkDriver(const PushToTalkDriver* driver) {
    worker().driver.store(driver != nullptr ? driver : &hamlibDriver);
}

}  // namespace platform
