#include "viewer/OperatingGuide.h"

#include <string>

#include "dialog/DialogLayer.h"
#include "dialog/DocumentWindow.h"

void showOperatingGuide() { showOperatingGuide(platform::findOperatingGuide()); }

void showOperatingGuide(const platform::GuideSearch& search) {
    if (!search.found.empty()) {
        dialog::openDocument(search.found, "NBTV operating guide");
        return;
    }
    std::string text = std::string("The operating guide (") + platform::GuideFileName +
                       ") was not found.\r\nLooked in:";
    for (const std::string& folder : search.looked) text += "\r\n" + folder;
    dialog::messageBox(text, "Operating guide", win::MB_OK | win::MB_ICONINFORMATION);
}
