// The choice of the radio's sound card: under a separator at the end of the
// Input menu, "Default" and one check item per capture source the sound
// server lists (monitors too), by the names the desktop shows. Choosing one
// moves the running capture there; the sound server remembers the choice
// for this program's next run, so nothing is stored here. The list is
// rebuilt whenever the server reports a change.
#include "viewer/InputDevices.h"

#include "dialog/DeviceMenu.h"
#include "dialog/DialogLayer.h"
#include "platform/SoundDevices.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;

void addInputDeviceMenu(dialog::HMENU menu) {
    viewer.inputDevices.menu = menu;
    viewer.inputDevices.shown.clear();
    dialog::addMenuItem(menu, "-", 0, -1, nullptr);
    dialog::addMenuItem(menu, "Default", InputDeviceDefault, -1, nullptr);
}

void refreshInputDevices(HWND window) {
    dialog::refreshDeviceMenu(window, viewer.inputDevices, platform::soundDevices(true));
}

void chooseInputDevice(HWND window, int id) {
    std::uint32_t index = platform::NoSoundDevice;
    if (!dialog::deviceOfItem(viewer.inputDevices, id, index)) return;
    // The check marks move when the server has answered; with no capture
    // running there is nothing to move and they stay as they are.
    if (!platform::moveSoundStream(true, index)) refreshInputDevices(window);
}
