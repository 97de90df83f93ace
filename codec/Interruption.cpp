#include "codec/Interruption.h"

namespace codec {

namespace {

volatile std::sig_atomic_t caught = 0;
constexpr int Caught[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

InterruptionCatch::InterruptionCatch() {
    caught = 0;
    struct sigaction action {};
    action.sa_handler = [](int signal) { caught = signal; };
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked read returns EINTR
    for (int i = 0; i < 3; ++i) {
        sigaction(Caught[i], &action, &previous_[i]);
        // A signal the caller ignores (nohup, a background job) stays ignored.
        if (previous_[i].sa_handler == SIG_IGN) sigaction(Caught[i], &previous_[i], nullptr);
    }
}

InterruptionCatch::~InterruptionCatch() {
    for (int i = 0; i < 3; ++i) sigaction(Caught[i], &previous_[i], nullptr);
}

int interruption() { return caught; }

}  // namespace codec
