#include "viewer/PictureSaving.h"

#include <filesystem>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/ToolWindows.h"
#include "platform/PictureFiles.h"
#include "viewer/ShownPicture.h"
#include "viewer/Timestamp.h"
#include "viewer/ViewerState.h"

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
    viewer.saving.autoSave = on;
    // The first picture goes at the next frame, the next ones every few seconds.
    viewer.saving.lastAutoSave.reset();
    dialog::checkMenuItem(window, MenuAutoSave, on);
}

}  // namespace

void savePictureCommand(HWND, const PictureStore* shown) {
    if (shown == nullptr) {
        dialog::messageBox("No picture has been received yet.", "Save picture", MB_OK);
        return;
    }
    // The picture as it is now, not as it may be once the question is answered.
    const std::vector<std::uint8_t> grey = greyOf(*shown);
    const std::string proposed =
        (std::filesystem::path(platform::picturesFolder()) / (timestampName() + ".png")).string();
    const std::string path = dialog::askSaveFileName("Save picture", proposed, "PNG pictures (*.png)");
    if (path.empty()) return;
    std::string reason;
    if (!platform::savePicture(path, grey.data(), PictureWidth, ShownRows, reason))
        dialog::messageBox("The picture could not be saved to " + path + ":\r\n" + reason,
                           "Save picture", MB_OK);
}

void autoSaveCommand(HWND window) { setAutoSave(window, !viewer.saving.autoSave); }

void autoSaveAfterFrame(HWND window, const PictureStore& shown) {
    SavingState& saving = viewer.saving;
    const auto now = saving.clock();
    if (saving.lastAutoSave && now - *saving.lastAutoSave < std::chrono::seconds(AutoSaveSeconds)) return;
    saving.lastAutoSave = now;
    const std::vector<std::uint8_t> grey = greyOf(shown);
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
