#pragma once
// The receiver's operating aids around its window: the tuning display, the
// large picture, saving pictures and recording the captured sound.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "dialog/DialogLayer.h"
#include "viewer/PictureStore.h"

namespace viewer_id {
constexpr int MenuSavePicture = 2000, MenuAutoSave = 2001, MenuRecordSound = 2002,
              MenuTuningDisplay = 2003, MenuLargePicture = 2004;
// Sent by the tuning display and the large picture when the user closes them.
constexpr int TuningDisplayClosed = 2010, LargePictureClosed = 2011;
}  // namespace viewer_id

// What the aids are doing; the menu's check marks show it.
struct ReceiverAids {
    bool tuningDisplay = false;
    bool largePicture = false;
    bool autoSave = false;
    bool recording = false;
    std::optional<std::chrono::steady_clock::time_point> lastAutoSave;  // none yet
};
extern ReceiverAids receiverAids;

// Seconds between automatic saves.
constexpr int AutoSaveSeconds = 10;
// The clock automatic saving reads; tests may set another.
extern std::chrono::steady_clock::time_point (*aidsClock)();

// Appends the aids' items to the File and Input menus and adds the View
// menu before Help (at bar position viewPosition).
void addAidMenus(win::HWND window, dialog::HMENU bar, dialog::HMENU file, dialog::HMENU input,
                 int viewPosition);
// Gives the aids' menu items their shortcuts once the menu is attached.
void addAidShortcuts(win::HWND window);
// Menu commands 2000..2099; false for any other id.
bool aidCommand(win::HWND window, int id);
// After each processed frame: the captured bytes and the picture as shown.
void aidsAfterFrame(win::HWND window, const std::uint8_t* samples, int count, const rx::PictureStore& store);
// Before the capture rate changes, and when the window goes.
void stopSoundRecording(win::HWND window);
void closeAids(win::HWND window);

// Saving pictures and recording (viewer/PictureSaving.cpp, viewer/SoundRecording.cpp).
void savePictureCommand(win::HWND window, const rx::PictureStore* store);
void autoSaveCommand(win::HWND window);
void autoSaveAfterFrame(win::HWND window, const rx::PictureStore& store);
void recordSoundCommand(win::HWND window);
void recordAfterFrame(win::HWND window, const std::uint8_t* samples, int count);
// "nbtv-YYYYMMDD-HHMMSS", local time now.
std::string timestampName();

// The picture the window shows, or null before the first frame (viewer/Capture.cpp).
const rx::PictureStore* shownPictureStore();
// Draws "No sound input" in the picture area while capture is not running.
void showNoSoundInput(win::HWND window);
