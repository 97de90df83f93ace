#pragma once
// Sending on and off, and keying the radio. With sending off the output is
// held (nothing is played, not even silence, so a radio's VOX stays
// quiet). With push-to-talk the radio is keyed before the first sample and
// let go once the last sample has played; a radio that cannot be keyed is
// named in the preview and on stderr, and nothing is sent (it is tried
// again every few seconds while sending is on).
#include <string>

#include "core/WindowTypes.h"

enum class RadioState { Unkeyed, Keying, Keyed, Releasing };

struct SendingState {
    bool wanted = true;                      // "Transmit" is ticked
    RadioState radio = RadioState::Unkeyed;
    int request = 0;                         // the last push-to-talk request; answers to earlier ones are old
    std::string note;                        // what the preview says about push-to-talk
    std::string told;                        // the last failure told on stderr, told once
};

// After the sound output has started: the radio keyed for the frames
// queued and held, when sending is on with push-to-talk.
void startSending();
// Sending on or off, as "Transmit" (F12) and --no-transmit ask.
void sendingOn();
void sendingOff();
// The answers of the push-to-talk thread, its retry timer, and a sound
// output that has failed for good (the radio is let go at once).
void pushToTalkNews(win::WPARAM news, win::LPARAM request);
void retryPushToTalk();
void playbackFailed();
// A new push-to-talk choice takes effect: sending is stopped and started
// again around it.
void changePushToTalk();
