#pragma once
// The questions the transmitter asks about its station: a line of text
// (the callsign, a number), a picture file, a folder, the push-to-talk
// settings, and where on the screen the region lies. Each is a modal
// window; nothing here exposes Qt. Tests answer them through the hooks.
#include <string>

#include "core/PushToTalkChoice.h"
#include "core/ScreenImage.h"
#include "core/WindowTypes.h"

namespace dialog {

// A line of text, proposing `text`; false when the user cancels.
bool askText(const std::string& caption, const std::string& label, std::string& text);
// A file to open, starting at `proposedPath`; "" when the user cancels.
std::string askOpenFileName(const std::string& caption, const std::string& proposedPath,
                            const std::string& filter);
// A folder, starting at `proposedPath`; "" when the user cancels.
std::string askFolderName(const std::string& caption, const std::string& proposedPath);

// The push-to-talk settings: the kind (none, rigctld, the radio's CAT
// command, RTS, DTR), the address or serial port, the radio's model and
// speed, and the lead between keying and the first sample. `models` lists
// the radios hamlib knows, one "NUMBER NAME" a line (may be empty). False
// when the user cancels; the choice is then left as it was.
bool askPushToTalk(core::PushToTalkChoice& choice, int& leadMs, const std::string& models);

// A full-screen picture of the screen with a frame of width x height
// following the pointer; a click places the frame and gives its top-left
// corner in the picture's region coordinates; Escape or a right-click
// cancels (false).
bool chooseRegion(const core::ScreenImage& screen, int width, int height, int& x, int& y);

// Tests: each hook, while set, answers in place of the window. Null puts
// the window back.
using TextHook = bool (*)(const std::string& caption, std::string& text);
using OpenNameHook = std::string (*)(const std::string& caption, const std::string& proposedPath);
using PushToTalkHook = bool (*)(core::PushToTalkChoice& choice, int& leadMs);
void setTextHook(TextHook hook);
void setOpenNameHook(OpenNameHook hook);  // files and folders
void setPushToTalkHook(PushToTalkHook hook);
using RegionHook = bool (*)(const core::ScreenImage& screen, int& x, int& y);
void setRegionHook(RegionHook hook);

// Closes whatever question is open as if cancelled (the program ends).
void cancelQuestions();

}  // namespace dialog
