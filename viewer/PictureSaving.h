#pragma once
// Saving the picture as shown: on request through a file question, and
// automatically every few seconds into Pictures/nbtv, never over a file.
#include <chrono>
#include <optional>

#include "core/WindowTypes.h"
#include "viewer/PictureStore.h"

// Seconds between automatic saves.
constexpr int AutoSaveSeconds = 10;

struct SavingState {
    bool autoSave = false;
    std::optional<std::chrono::steady_clock::time_point> lastAutoSave;  // none yet
    // The clock automatic saving reads; tests may set another.
    std::chrono::steady_clock::time_point (*clock)() = std::chrono::steady_clock::now;
};

// "Save picture...": the picture as shown (null: none received yet).
void savePictureCommand(win::HWND window, const rx::PictureStore* shown);
// "Save pictures automatically" ticked or unticked.
void autoSaveCommand(win::HWND window);
// After each processed buffer while automatic saving is on.
void autoSaveAfterFrame(win::HWND window, const rx::PictureStore& shown);
