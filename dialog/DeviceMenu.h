#pragma once
// A run of menu items that lists the sound server's devices of one
// direction: "Default" (added by the program), then one check item per
// device by the name the desktop shows, with what tells apart two devices
// of one name (core::deviceLabels). The check marks show the device the
// running stream uses, and "Default" too when that is the default device.
#include <cstdint>
#include <vector>

#include "core/SoundDeviceList.h"
#include "dialog/DialogLayer.h"

namespace dialog {

struct DeviceMenu {
    HMENU menu = nullptr;
    int defaultId = 0;                     // "Default"
    int firstId = 0, lastId = 0;           // the devices' items, in list order
    std::vector<core::SoundDevice> shown;  // the devices behind those items
};

// Replaces the device items with the list's devices and sets the marks.
void refreshDeviceMenu(HWND window, DeviceMenu& menu, const core::SoundDeviceList& list);
// The device behind a menu id, core::NoSoundDevice for "Default"; false for
// an id outside the menu or one whose device is no longer listed.
bool deviceOfItem(const DeviceMenu& menu, int id, std::uint32_t& index);

}  // namespace dialog
