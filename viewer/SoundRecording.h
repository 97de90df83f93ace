#pragma once
// Recording the captured sound, byte for byte, into a WAV file that
// `nbtvcodec decode` turns into the same pictures.
#include <cstdint>
#include <memory>
#include <string>

#include "core/WindowTypes.h"
#include "platform/SoundRecorder.h"

struct RecordingState {
    bool on = false;
    std::unique_ptr<platform::SoundRecorder> recorder = std::make_unique<platform::SoundRecorder>();
    std::string path;
};

// "Record sound..." ticked (asks for the file) or unticked.
void recordSoundCommand(win::HWND window);
// After each processed buffer while recording.
void recordAfterFrame(win::HWND window, const std::uint8_t* samples, int count);
// Before the capture rate changes, and when the window goes.
void stopSoundRecording(win::HWND window);
