#include "viewer/SoundRecording.h"

#include <filesystem>

#include "dialog/DialogLayer.h"
#include "dialog/ToolWindows.h"
#include "platform/PictureFiles.h"
#include "viewer/Timestamp.h"
#include "viewer/ViewerState.h"

using namespace win;
using namespace viewer_id;

namespace {

void finishRecording(HWND window) {
    RecordingState& r = viewer.recording;
    r.on = false;
    dialog::checkMenuItem(window, MenuRecordSound, false);
    std::string reason;
    if (!r.recorder->close(reason))
        dialog::messageBox("The recording " + r.path + " could not be finished:\r\n" + reason, "Record sound",
                           MB_OK);
}

}  // namespace

void recordSoundCommand(HWND window) {
    RecordingState& r = viewer.recording;
    if (r.on) {
        finishRecording(window);
        return;
    }
    const std::string proposed =
        (std::filesystem::path(platform::musicFolder()) / (timestampName() + ".wav")).string();
    const std::string path = dialog::askSaveFileName("Record sound", proposed, "WAV sound (*.wav)");
    // The window may have closed while the question was open.
    if (path.empty() || !dialog::windowExists(window)) return;
    std::string reason;
    if (!r.recorder->open(path, viewer.settings.sampleRate, reason)) {
        dialog::messageBox("Cannot record into " + path + ":\r\n" + reason, "Record sound", MB_OK);
        return;
    }
    r.path = path;
    r.on = true;
    dialog::checkMenuItem(window, MenuRecordSound, true);
}

void recordAfterFrame(HWND window, const std::uint8_t* samples, int count) {
    RecordingState& r = viewer.recording;
    std::string reason;
    if (count <= 0 || r.recorder->append(samples, static_cast<std::size_t>(count), reason)) return;
    finishRecording(window);
    dialog::messageBox("Recording into " + r.path + " stopped:\r\n" + reason, "Record sound", MB_OK);
}

void stopSoundRecording(HWND window) {
    if (viewer.recording.on) finishRecording(window);
}
