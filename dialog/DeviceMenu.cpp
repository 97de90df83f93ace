#include "dialog/DeviceMenu.h"

#include <string>

#include "dialog/DialogMenus.h"

namespace dialog {

namespace {

// An ampersand in a device's name is shown, not taken as a mnemonic.
std::string menuText(const std::string& label) {
    std::string text;
    for (char c : label) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

}  // namespace

void refreshDeviceMenu(HWND window, DeviceMenu& menu, const core::SoundDeviceList& list) {
    for (std::size_t i = 0; i < menu.shown.size(); ++i)
        removeMenuItem(window, menu.firstId + static_cast<int>(i));
    menu.shown.clear();
    bool onDefault = list.streamDevice == core::NoSoundDevice;
    const std::vector<std::string> labels = core::deviceLabels(list.devices);
    for (std::size_t i = 0; i < list.devices.size(); ++i) {
        const core::SoundDevice& device = list.devices[i];
        const int id = menu.firstId + static_cast<int>(menu.shown.size());
        if (id > menu.lastId) break;
        addMenuItem(menu.menu, menuText(labels[i]), id, -1, nullptr);
        checkMenuItem(window, id, device.index == list.streamDevice);
        if (device.index == list.streamDevice && device.name == list.defaultName) onDefault = true;
        menu.shown.push_back(device);
    }
    checkMenuItem(window, menu.defaultId, onDefault);
}

bool deviceOfItem(const DeviceMenu& menu, int id, std::uint32_t& index) {
    if (id == menu.defaultId) {
        index = core::NoSoundDevice;
        return true;
    }
    if (id < menu.firstId || id > menu.lastId) return false;
    const std::size_t n = static_cast<std::size_t>(id - menu.firstId);
    if (n >= menu.shown.size()) return false;
    index = menu.shown[n].index;
    return true;
}

}  // namespace dialog
