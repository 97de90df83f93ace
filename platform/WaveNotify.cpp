// The notification queue and the notifier thread.
//
// Why a notifier thread: the device thread (PortAudio's callback) must not
// allocate or wait on the toolkit, so it only queues a notice in room
// reserved when the buffer was queued and wakes the notifier, which posts.
// Calls on the GUI thread post what they queued themselves before they
// return, so that, for example, every buffer that a reset returns has been
// posted when the reset comes back. Whoever posts takes the posting mutex
// for each take-and-post, so notices leave in the order they were queued.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <thread>
#include <vector>

#include "core/MessagePost.h"
#include "platform/WaveDevice.h"

namespace wavedev {
namespace {

struct Notice {
    win::HWND window;
    win::UINT message;
    win::WPARAM wParam;
    win::LPARAM lParam;
};

struct Queue {
    // Guarded by stateMutex: a ring that grows only on the GUI side. It
    // always has room for the notices queued plus those reserved.
    std::vector<Notice> ring;
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t reserved = 0;
    bool stop = false;

    std::condition_variable wake;        // waited on with stateMutex
    std::recursive_mutex posting;        // recursive: a notifier may call back in
    std::once_flag started;
    std::thread notifier;

    ~Queue() {
        {
            std::lock_guard<std::mutex> lock(stateMutex());
            stop = true;
        }
        wake.notify_one();
        if (notifier.joinable()) notifier.join();
    }
};

Queue& queue() {
    stateMutex();  // constructed first, so destroyed after the queue
    static Queue q;
    return q;
}

std::atomic<win::WaveNotifier> customNotifier{nullptr};

void makeRoom(std::size_t extra) {
    Queue& q = queue();
    std::size_t needed = q.count + q.reserved + extra;
    if (needed <= q.ring.size()) return;
    std::vector<Notice> bigger(std::max<std::size_t>({needed, 2 * q.ring.size(), 64}));
    for (std::size_t i = 0; i < q.count; ++i) bigger[i] = q.ring[(q.first + i) % q.ring.size()];
    q.ring.swap(bigger);
    q.first = 0;
}

void push(const Notice& notice) {
    Queue& q = queue();
    q.ring[(q.first + q.count) % q.ring.size()] = notice;
    ++q.count;
}

Notice makeNotice(const Device& device, win::UINT message, win::LPARAM lParam) {
    return {device.window, message, static_cast<win::WPARAM>(device.id), lParam};
}

void notifierLoop() {
    Queue& q = queue();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(stateMutex());
            q.wake.wait(lock, [&q] { return q.stop || q.count > 0; });
            if (q.stop) return;
        }
        deliverPending();
    }
}

}  // namespace

void notify(const Device& device, win::UINT message, win::LPARAM lParam) {
    if (device.window == nullptr) return;
    makeRoom(1);
    push(makeNotice(device, message, lParam));
}

void reserveNotice() {
    makeRoom(1);
    ++queue().reserved;
}

void noticeFromDevice(const Device& device, win::UINT message, win::LPARAM lParam) {
    --queue().reserved;
    if (device.window != nullptr) push(makeNotice(device, message, lParam));
}

void cancelNotice() { --queue().reserved; }

void deliverPending() {
    Queue& q = queue();
    std::lock_guard<std::recursive_mutex> posting(q.posting);
    for (;;) {
        Notice notice;
        {
            std::lock_guard<std::mutex> lock(stateMutex());
            if (q.count == 0) return;
            notice = q.ring[q.first];
            q.first = (q.first + 1) % q.ring.size();
            --q.count;
        }
        win::WaveNotifier post = customNotifier.load();
        if (post == nullptr) post = core::postWindowMessage;
        post(notice.window, notice.message, notice.wParam, notice.lParam);
    }
}

void wakeNotifier() { queue().wake.notify_one(); }

void deliverFromDevice() {
    // The toolkit's own posting never calls back into the wave calls, so
    // the device's thread may post itself and spare the notifier's thread a
    // wake-up; a notifier set by a test may call back, so it is left to the
    // notifier's thread.
    if (customNotifier.load() == nullptr) {
        deliverPending();
    } else {
        wakeNotifier();
    }
}

void postNow(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    win::WaveNotifier post = customNotifier.load();
    if (post == nullptr) post = core::postWindowMessage;
    post(window, message, wParam, lParam);
}

void startNotifier() {
    Queue& q = queue();
    std::call_once(q.started, [&q] { q.notifier = std::thread(notifierLoop); });
}

}  // namespace wavedev

namespace win {

void setWaveNotifier(WaveNotifier notifier) { wavedev::customNotifier.store(notifier); }

}  // namespace win
