// The choice of the radio's sound card for the transmitter, which has no
// menu bar: a context menu on its window (a right-click outside the
// controls) with "Default" and one check item per playback sink the sound
// server lists, by the names the desktop shows. Choosing one moves the
// running output there; the sound server remembers the choice for this
// program's next run. The list is rebuilt whenever the server reports a
// change.
#include <string>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogMenus.h"
#include "platform/SoundDevices.h"
#include "transmitter/Transmitter.h"

using namespace win;
using namespace transmitter_id;

namespace {

dialog::HMENU outputMenu = nullptr;
std::vector<platform::SoundDevice> shownDevices;  // behind the items after "Default"

std::string menuText(const platform::SoundDevice& device) {
    std::string text;
    for (char c : device.description.empty() ? device.name : device.description) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

}  // namespace

void addOutputDeviceMenu(HWND window) {
    outputMenu = dialog::newMenu(false);
    shownDevices.clear();
    dialog::addMenuItem(outputMenu, "Default", OutputDeviceDefault, -1, nullptr);
    dialog::setContextMenu(window, outputMenu);
}

void refreshOutputDevices(HWND window) {
    for (std::size_t i = 0; i < shownDevices.size(); ++i)
        dialog::removeMenuItem(window, OutputDeviceFirst + static_cast<int>(i));
    platform::SoundDeviceList list = platform::soundDevices(false);
    shownDevices.clear();
    bool onDefault = list.streamDevice == platform::NoSoundDevice;
    for (const platform::SoundDevice& device : list.devices) {
        if (OutputDeviceFirst + static_cast<int>(shownDevices.size()) > OutputDeviceLast) break;
        const int id = OutputDeviceFirst + static_cast<int>(shownDevices.size());
        dialog::addMenuItem(outputMenu, menuText(device), id, -1, nullptr);
        dialog::checkMenuItem(window, id, device.index == list.streamDevice);
        if (device.index == list.streamDevice && device.name == list.defaultName) onDefault = true;
        shownDevices.push_back(device);
    }
    dialog::checkMenuItem(window, OutputDeviceDefault, onDefault);
}

void outputDeviceCommand(HWND window, int id) {
    if (id < OutputDeviceDefault || id > OutputDeviceLast) return;
    std::uint32_t index = platform::NoSoundDevice;
    if (id != OutputDeviceDefault) {
        const std::size_t n = static_cast<std::size_t>(id - OutputDeviceFirst);
        if (n >= shownDevices.size()) return;
        index = shownDevices[n].index;
    }
    if (!platform::moveSoundStream(false, index)) refreshOutputDevices(window);
}
