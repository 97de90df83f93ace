#pragma once
// Keying the radio through hamlib: rigctld on the network, the radio's own
// CAT command, or the RTS or DTR line of a serial port. The radio is
// reached on a thread of its own, so that a slow or silent radio never
// holds up the window or the sound; each request is answered by a
// WM_PUSHTOTALK message to the window given with the choice, in the order
// the requests were made.
#include <string>

#include "core/PushToTalkChoice.h"
#include "core/WindowTypes.h"

namespace platform {

// First parameter: what happened (PushToTalkNews); second: the number of
// the request it answers.
constexpr win::UINT WM_PUSHTOTALK = win::WM_USER + 0x2210;
enum PushToTalkNews : win::WPARAM { PushToTalkKeyed = 1, PushToTalkReleased = 2, PushToTalkFailed = 3 };

// How the radio is keyed from now on (a keyed radio is released first);
// it is reached at the next key. News goes to the window.
void choosePushToTalk(win::HWND window, const core::PushToTalkChoice& choice);
// Keys the radio, then waits `leadMs` before answering PushToTalkKeyed, so
// that the radio is on the air before the first sample; PushToTalkFailed
// (radio unreachable or refusing) leaves it unkeyed. Returns the request's
// number.
int keyRadio(int leadMs);
// Waits `delayMs` (the sound still on its way out), then releases the
// radio; answers PushToTalkReleased, or PushToTalkFailed when the radio
// did not take the command.
int releaseRadio(int delayMs);
// At the end of the program: waits `delayMs` and releases the radio if it
// is keyed, then closes the connection; returns when that is done.
void endPushToTalk(int delayMs);
// Why the last request failed, in one line ("rigctld at localhost:4532:
// IO error").
std::string pushToTalkError();
// The choice in words, for messages ("rigctld at localhost:4532").
std::string describePushToTalk(const core::PushToTalkChoice& choice);

// The radios hamlib knows, one "NUMBER MAKER MODEL" a line, by number.
std::string radioModels();

// A stand-in for hamlib, for tests; null puts hamlib back. The functions
// run on the push-to-talk thread.
struct PushToTalkDriver {
    bool (*open)(const core::PushToTalkChoice& choice, std::string& errorText);
    bool (*key)(bool keyed, std::string& errorText);
    void (*close)();
};
void setPushToTalkDriver(const PushToTalkDriver* driver);

}  // namespace platform
