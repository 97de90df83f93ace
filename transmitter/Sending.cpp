#include "transmitter/Sending.h"

#include <cstdio>

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "platform/PushToTalk.h"
#include "transmitter/FrameBuild.h"
#include "transmitter/PictureSource.h"
#include "transmitter/Playback.h"
#include "transmitter/TransmitterState.h"
#include "transmitter/TransmitterValues.h"

using namespace transmitter_id;

namespace {

// Keys the radio for the frames queued and held, unless the sound output
// is missing (never keyed without sending).
void keyForSending() {
    SendingState& s = transmitter.sending;
    if (!transmitter.output.open) return;
    s.request = platform::keyRadio(transmitter.station.pushToTalkLeadMs);
    s.radio = RadioState::Keying;
}

void releaseRadio(int delayMs) {
    SendingState& s = transmitter.sending;
    if (s.radio == RadioState::Unkeyed) return;
    s.request = platform::releaseRadio(delayMs);
    s.radio = RadioState::Releasing;
}

}  // namespace

void startSending() {
    if (transmitter.sending.wanted && usesPushToTalk(transmitter.station)) keyForSending();
}

void sendingOn() {
    SendingState& s = transmitter.sending;
    if (s.wanted && transmitter.output.playing) return;
    s.wanted = true;
    dialog::checkMenuItem(transmitter.window, Transmit, true);
    win::KillTimer(transmitter.window, PushToTalkRetryTimer);
    pauseSource(false);
    if (!transmitter.output.open) {
        showStillPicture();
        return;
    }
    // Fresh frames, held until the radio is on the air.
    holdOutput(true);
    queueFreshFrames();
    if (usesPushToTalk(transmitter.station)) {
        keyForSending();
    } else {
        holdOutput(false);
    }
}

void sendingOff() {
    SendingState& s = transmitter.sending;
    s.wanted = false;
    dialog::checkMenuItem(transmitter.window, Transmit, false);
    win::KillTimer(transmitter.window, PushToTalkRetryTimer);
    // The signal stops at once; the radio goes once what the card already
    // took has played.
    holdOutput(true);
    const int delay = dropQueuedFrames();
    releaseRadio(delay);
    pauseSource(true);
    showStillPicture();
}

void pushToTalkNews(win::WPARAM news, win::LPARAM request) {
    SendingState& s = transmitter.sending;
    if (request != s.request) return;  // answers a request given up since
    switch (news) {
    case platform::PushToTalkKeyed:
        s.radio = RadioState::Keyed;
        if (s.wanted && transmitter.output.playing) holdOutput(false);
        if (!s.told.empty()) {
            s.told.clear();
            std::fprintf(stderr, "transmitter: the radio is keyed again\n");
        }
        if (!s.note.empty()) {
            s.note.clear();
            showStillPicture();
        }
        break;
    case platform::PushToTalkReleased:
        s.radio = RadioState::Unkeyed;
        break;
    case platform::PushToTalkFailed: {
        const bool keying = s.radio == RadioState::Keying;
        s.radio = RadioState::Unkeyed;
        // Tried again every few seconds: the same failure is told once.
        const std::string told = std::string("cannot ") + (keying ? "key" : "release") +
                                 " the radio: " + platform::pushToTalkError();
        if (told != s.told) std::fprintf(stderr, "transmitter: %s\n", told.c_str());
        s.told = told;
        s.note = std::string(keying ? "No push-to-talk" : "Push-to-talk release failed") + "\n" +
                 platform::describePushToTalk(transmitter.station.pushToTalk);
        if (keying) {
            // Never sent unkeyed: the held frames are dropped.
            dropQueuedFrames();
            if (s.wanted) win::SetTimer(transmitter.window, PushToTalkRetryTimer, tx::PushToTalkRetryMs);
        }
        showStillPicture();
        break;
    }
    default: break;
    }
}

void retryPushToTalk() {
    win::KillTimer(transmitter.window, PushToTalkRetryTimer);
    if (transmitter.sending.wanted && transmitter.sending.radio == RadioState::Unkeyed) sendingOn();
}

void playbackFailed() {
    soundOutputFailed();
    releaseRadio(0);
    showStillPicture();
}

void changePushToTalk() {
    const bool wanted = transmitter.sending.wanted;
    if (wanted) sendingOff();
    platform::choosePushToTalk(transmitter.window, transmitter.station.pushToTalk);
    transmitter.sending.radio = RadioState::Unkeyed;
    transmitter.sending.note.clear();
    transmitter.sending.told.clear();
    if (wanted) sendingOn();
}
