// The choice of the radio's sound card for the transmitter, which has no
// menu bar: a context menu on its window (a right-click outside the
// controls) with "Default" and one check item per playback sink the sound
// server lists, by the names the desktop shows. Choosing one moves the
// running output there; the sound server remembers the choice for this
// program's next run. The list is rebuilt whenever the server reports a
// change.
#include "dialog/DeviceMenu.h"
#include "dialog/DialogLayer.h"
#include "dialog/DialogMenus.h"
#include "platform/SoundDevices.h"
#include "transmitter/OutputDevices.h"
#include "transmitter/TransmitterState.h"

using namespace win;
using namespace transmitter_id;

void addOutputDeviceMenu(HWND window) {
    transmitter.outputDevices.menu = dialog::newMenu(false);
    transmitter.outputDevices.shown.clear();
    dialog::addMenuItem(transmitter.outputDevices.menu, "Default", OutputDeviceDefault, -1, nullptr);
    dialog::setContextMenu(window, transmitter.outputDevices.menu);
}

void refreshOutputDevices(HWND window) {
    dialog::refreshDeviceMenu(window, transmitter.outputDevices, platform::soundDevices(false));
}

void outputDeviceCommand(HWND window, int id) {
    std::uint32_t index = platform::NoSoundDevice;
    if (!dialog::deviceOfItem(transmitter.outputDevices, id, index)) return;
    if (!platform::moveSoundStream(false, index)) refreshOutputDevices(window);
}
