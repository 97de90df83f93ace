// The signal handler only writes a byte to a pipe (all a handler may
// safely do); a thread waiting on the pipe posts the message.
#include "platform/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "core/MessagePost.h"

namespace platform {

namespace {

std::atomic<win::HWND> watcher{nullptr};

#if defined(__unix__) || defined(__APPLE__)
int pipeEnds[2] = {-1, -1};

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void waitForSignals() {
    char byte;
    for (;;) {
        const auto got = ::read(pipeEnds[0], &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        if (win::HWND window = watcher.load()) core::postWindowMessage(window, WM_STOPSIGNAL, 0, 0);
    }
}
#endif

}  // namespace

void watchStopSignals(win::HWND window) {
    watcher.store(window);
#if defined(__unix__) || defined(__APPLE__)
    if (pipeEnds[0] >= 0) return;
    if (::pipe(pipeEnds) != 0) return;
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    ::fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipeEnds[1], F_SETFD, FD_CLOEXEC);
    std::thread(waitForSignals).detach();
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

}  // namespace platform
