// The choice of the radio's sound card: under a separator at the end of the
// Input menu, "Default" and one check item per capture source the sound
// server lists (monitors too), by the names the desktop shows. Choosing one
// moves the running capture there; the sound server remembers the choice
// for this program's next run, so nothing is stored here. The list is
// rebuilt whenever the server reports a change.
#include <string>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogMenus.h"
#include "platform/SoundDevices.h"
#include "viewer/Viewer.h"

using namespace win;
using namespace viewer_id;

namespace {

dialog::HMENU inputMenu = nullptr;
// The devices behind the items after "Default", in menu order.
std::vector<platform::SoundDevice> shownDevices;

// Menu text: an ampersand in a device's name is shown, not a mnemonic.
std::string menuText(const platform::SoundDevice& device) {
    std::string text;
    for (char c : device.description.empty() ? device.name : device.description) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

}  // namespace

void addInputDeviceMenu(dialog::HMENU menu) {
    inputMenu = menu;
    shownDevices.clear();
    dialog::addMenuItem(menu, "-", 0, -1, nullptr);
    dialog::addMenuItem(menu, "Default", InputDeviceDefault, -1, nullptr);
}

void refreshInputDevices(HWND window) {
    for (std::size_t i = 0; i < shownDevices.size(); ++i)
        dialog::removeMenuItem(window, InputDeviceFirst + static_cast<int>(i));
    platform::SoundDeviceList list = platform::soundDevices(true);
    shownDevices.clear();
    bool onDefault = list.streamDevice == platform::NoSoundDevice;
    for (const platform::SoundDevice& device : list.devices) {
        if (InputDeviceFirst + static_cast<int>(shownDevices.size()) > InputDeviceLast) break;
        const int id = InputDeviceFirst + static_cast<int>(shownDevices.size());
        dialog::addMenuItem(inputMenu, menuText(device), id, -1, nullptr);
        dialog::checkMenuItem(window, id, device.index == list.streamDevice);
        if (device.index == list.streamDevice && device.name == list.defaultName) onDefault = true;
        shownDevices.push_back(device);
    }
    dialog::checkMenuItem(window, InputDeviceDefault, onDefault);
}

void chooseInputDevice(HWND window, int id) {
    std::uint32_t index = platform::NoSoundDevice;
    if (id != InputDeviceDefault) {
        const std::size_t n = static_cast<std::size_t>(id - InputDeviceFirst);
        if (n >= shownDevices.size()) return;
        index = shownDevices[n].index;
    }
    // The check marks move when the server has answered; with no capture
    // running there is nothing to move and they stay as they are.
    if (!platform::moveSoundStream(true, index)) refreshInputDevices(window);
}
