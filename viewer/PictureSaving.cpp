// Saving the picture as shown: on request through a file question, and
// automatically every few seconds into Pictures/nbtv, never over a file.
#include <ctime>
#include <filesystem>
#include <vector>

#include "dialog/ToolWindows.h"
#include "platform/PictureFiles.h"
#include "viewer/ReceiverAids.h"
#include "viewer/ShownPicture.h"
#include "viewer/Viewer.h"

using namespace win;
using namespace viewer_id;
using namespace rx;

namespace {

std::vector<std::uint8_t> greyOf(const PictureStore& store) {
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(PictureWidth) * ShownRows);
    rx::shownGreyPicture(store, grey.data());
    return grey;
}

void setAutoSave(HWND window, bool on) {
    receiverAids.autoSave = on;
    // The first picture goes at the next frame, the next ones every few seconds.
    receiverAids.lastAutoSave.reset();
    dialog::checkMenuItem(window, MenuAutoSave, on);
}

}  // namespace

std::string timestampName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[32];
    std::strftime(name, sizeof name, "nbtv-%Y%m%d-%H%M%S", &local);
    return name;
}

void savePictureCommand(HWND, const PictureStore* store) {
    if (store == nullptr) {
        dialog::messageBox("No picture has been received yet.", "Save picture", MB_OK);
        return;
    }
    // The picture as it is now, not as it may be once the question is answered.
    const std::vector<std::uint8_t> grey = greyOf(*store);
    const std::string proposed =
        (std::filesystem::path(platform::picturesFolder()) / (timestampName() + ".png")).string();
    const std::string path = dialog::askSaveFileName("Save picture", proposed, "PNG pictures (*.png)");
    if (path.empty()) return;
    std::string reason;
    if (!platform::savePicture(path, grey.data(), PictureWidth, ShownRows, reason))
        dialog::messageBox("The picture could not be saved to " + path + ":\r\n" + reason,
                           "Save picture", MB_OK);
}

void autoSaveCommand(HWND window) { setAutoSave(window, !receiverAids.autoSave); }

void autoSaveAfterFrame(HWND window, const PictureStore& store) {
    const auto now = aidsClock();
    if (receiverAids.lastAutoSave && now - *receiverAids.lastAutoSave < std::chrono::seconds(AutoSaveSeconds))
        return;
    receiverAids.lastAutoSave = now;
    const std::vector<std::uint8_t> grey = greyOf(store);
    const std::string folder = (std::filesystem::path(platform::picturesFolder()) / "nbtv").string();
    std::string saved, reason;
    if (platform::savePictureAsNew(folder, timestampName(), grey.data(), PictureWidth, ShownRows, saved,
                                   reason))
        return;
    // One box, not one every few seconds: saving stops until ticked again.
    setAutoSave(window, false);
    dialog::messageBox("Pictures could not be saved into " + folder + ":\r\n" + reason +
                           "\r\nAutomatic saving has stopped.",
                       "Save pictures automatically", MB_OK);
}
