#include "transmitter/StationMenu.h"

#include <cstdlib>

#include "dialog/DialogLayer.h"
#include "dialog/DialogMenus.h"
#include "dialog/StationQuestions.h"
#include "dialog/ToolWindows.h"
#include "platform/PushToTalk.h"
#include "platform/ScreenCapture.h"
#include "transmitter/FrameBuild.h"
#include "transmitter/Station.h"
#include "transmitter/StoredChoices.h"
#include "transmitter/TransmitterState.h"

using namespace win;
using namespace transmitter_id;

namespace {

const char* const PictureFilter =
    "Pictures (*.png *.jpg *.jpeg *.bmp *.gif *.pgm *.ppm *.pbm *.webp *.tif *.tiff *.svg);;All files (*)";

std::string home() {
    const char* h = std::getenv("HOME");
    return h != nullptr ? h : "";
}

// Shows the change while nothing is sent; a running transmitter shows it
// with the next frame.
void showChange() {
    if (!transmitter.sending.wanted) showStillPicture();
}

void say(const std::string& text, const std::string& caption) {
    dialog::messageBox(text, caption, MB_OK | MB_ICONINFORMATION);
}

void chooseSource(HWND window, const SourceChoice& source) {
    transmitter.station.source = source;
    startSource();
    if (!transmitter.sending.wanted) pauseSource(true);
    storeChoice(stored::Source, sourceText(source));
    showStationChecks(window);
    showChange();
}

void askPictureFile(HWND window) {
    const SourceChoice& now = transmitter.station.source;
    const std::string path = dialog::askOpenFileName(
        "Picture to send", now.kind == SourceKind::Picture ? now.path : home(), PictureFilter);
    if (!path.empty()) chooseSource(window, {SourceKind::Picture, path});
}

void askPictureFolder(HWND window) {
    const SourceChoice& now = transmitter.station.source;
    const std::string path =
        dialog::askFolderName("Folder of pictures to send", now.kind == SourceKind::Folder ? now.path : home());
    if (!path.empty()) chooseSource(window, {SourceKind::Folder, path});
}

void askFramesPerPicture() {
    std::string text = std::to_string(transmitter.station.framesPerPicture);
    if (!dialog::askText("Frames per picture", "Frames each picture of a folder is sent for:", text)) return;
    int frames = 0;
    if (!readWholeNumber(text, 1, MostFramesPerPicture, frames)) {
        say("Frames per picture takes a whole number from 1 to " + std::to_string(MostFramesPerPicture) + ".",
            "Frames per picture");
        return;
    }
    transmitter.station.framesPerPicture = frames;
    storeChoice(stored::FramesPerPicture, std::to_string(frames));
}

void askRegion(HWND window) {
    core::ScreenImage screen;
    if (!platform::grabWholeScreen(screen)) {
        say("The screen cannot be seen yet, so the region cannot be chosen on it.", "Choose region");
        return;
    }
    int x = 0, y = 0;
    if (!dialog::chooseRegion(screen, tx::PictureColumns, tx::PictureRows, x, y)) return;
    placeRegion(window, x, y);
    storeChoice(stored::Region, regionText(x, y));
    showChange();
}

void askCallsign(HWND window) {
    std::string text = transmitter.station.callsign;
    if (!dialog::askText("Callsign", "The station's callsign (empty for none):", text)) return;
    std::string callsign, errorText;
    if (!readCallsign(text, callsign, errorText)) {
        say("A callsign is up to 12 letters, digits, '/' and '-'.", "Callsign");
        return;
    }
    transmitter.station.callsign = callsign;
    restartIdentification();
    storeChoice(stored::Callsign, callsign);
    showStationChecks(window);
    showChange();
}

void askPushToTalk() {
    StationChoices& station = transmitter.station;
    core::PushToTalkChoice choice = station.pushToTalk;
    int lead = station.pushToTalkLeadMs;
    if (!dialog::askPushToTalk(choice, lead, platform::radioModels())) return;
    station.pushToTalk = choice;
    station.pushToTalkLeadMs = lead;
    storeChoice(stored::PushToTalk, pushToTalkText(choice));
    storeChoice(stored::PushToTalkLead, std::to_string(lead));
    changePushToTalk();
}

}  // namespace

void addStationMenu(HWND window) {
    dialog::HMENU menu = transmitter.outputDevices.menu;
    dialog::HMENU source = dialog::newMenu(false);
    dialog::addMenuItem(source, "&Screen region", SourceScreen, -1, nullptr);
    dialog::addMenuItem(source, "&Picture file...", SourcePicture, -1, nullptr);
    dialog::addMenuItem(source, "Picture &folder...", SourceFolder, -1, nullptr);
    dialog::addMenuItem(source, "&Camera", SourceCamera, -1, nullptr);
    dialog::addMenuItem(source, "-", 0, -1, nullptr);
    dialog::addMenuItem(source, "Frames &per picture...", FramesPerPicture, -1, nullptr);
    // Above "Default" and the sound cards, in this order.
    int at = 0;
    dialog::addMenuItem(menu, "&Transmit", Transmit, at++, nullptr);
    dialog::addMenuItem(menu, "&Source", 0, at++, nullptr, true, source);
    dialog::addMenuItem(menu, "Choose &region...", ChooseRegion, at++, nullptr);
    dialog::addMenuItem(menu, "&Callsign...", Callsign, at++, nullptr);
    dialog::addMenuItem(menu, "&Identify every 10 minutes", Identify, at++, nullptr);
    dialog::addMenuItem(menu, "&Push-to-talk...", PushToTalk, at++, nullptr);
    dialog::addMenuItem(menu, "-", 0, at++, nullptr);
    dialog::setMenuShortcut(window, Transmit, "F12");
    showStationChecks(window);
}

void showStationChecks(HWND window) {
    const StationChoices& station = transmitter.station;
    dialog::checkMenuItem(window, Transmit, transmitter.sending.wanted);
    const SourceKind kind = station.source.kind;
    dialog::checkMenuItem(window, SourceScreen, kind == SourceKind::Screen);
    dialog::checkMenuItem(window, SourcePicture, kind == SourceKind::Picture);
    dialog::checkMenuItem(window, SourceFolder, kind == SourceKind::Folder);
    dialog::checkMenuItem(window, SourceCamera, kind == SourceKind::Camera);
    dialog::checkMenuItem(window, Identify, station.identify);
}

bool stationCommand(HWND window, int id) {
    switch (id) {
    case Transmit:
        if (transmitter.sending.wanted) {
            sendingOff();
        } else {
            sendingOn();
        }
        return true;
    case SourceScreen: chooseSource(window, {SourceKind::Screen, ""}); return true;
    case SourcePicture: askPictureFile(window); return true;
    case SourceFolder: askPictureFolder(window); return true;
    case SourceCamera: {
        const SourceChoice& now = transmitter.station.source;
        chooseSource(window, {SourceKind::Camera, now.kind == SourceKind::Camera ? now.path : ""});
        return true;
    }
    case FramesPerPicture: askFramesPerPicture(); return true;
    case ChooseRegion: askRegion(window); return true;
    case Callsign: askCallsign(window); return true;
    case Identify:
        transmitter.station.identify = !transmitter.station.identify;
        storeChoice(stored::Identify, transmitter.station.identify ? "true" : "false");
        showStationChecks(window);
        return true;
    case PushToTalk: askPushToTalk(); return true;
    default: return false;
    }
}
