#pragma once
// The receiver's operating aids around its window: the tuning display, the
// large picture, saving pictures and recording the captured sound.
#include <cstdint>
#include <memory>

#include "dialog/DialogLayer.h"
#include "platform/SoundSpectrum.h"
#include "viewer/PictureStore.h"

// The tool windows' state; the menu's check marks show it.
struct AidsState {
    bool tuningDisplay = false;
    bool largePicture = false;
    // Made when the tuning display first opens, kept for the run: the
    // transform is planned once.
    std::unique_ptr<platform::Spectrum> spectrum;
};

// Appends the aids' items to the File and Input menus and adds the View
// menu before Help (at bar position viewPosition).
void addAidMenus(win::HWND window, dialog::HMENU bar, dialog::HMENU file, dialog::HMENU input,
                 int viewPosition);
// Gives the aids' menu items their shortcuts once the menu is attached.
void addAidShortcuts(win::HWND window);
// Menu commands 2000..2099; false for any other id.
bool aidCommand(win::HWND window, int id);
// After each processed buffer: the captured bytes and the picture as shown
// (null before the first).
void aidsAfterFrame(win::HWND window, const std::uint8_t* samples, int count, const rx::PictureStore* shown);
// When the window goes.
void closeAids(win::HWND window);
