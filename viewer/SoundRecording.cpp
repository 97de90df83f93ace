// Recording the captured sound, byte for byte, into a WAV file that
// `nbtvcodec decode` turns into the same pictures.
#include <filesystem>

#include "dialog/ToolWindows.h"
#include "platform/PictureFiles.h"
#include "platform/SoundRecorder.h"
#include "viewer/ReceiverAids.h"
#include "viewer/Viewer.h"

using namespace win;
using namespace viewer_id;

namespace {

platform::SoundRecorder recorder;
std::string recordingPath;

void finishRecording(HWND window) {
    receiverAids.recording = false;
    dialog::checkMenuItem(window, MenuRecordSound, false);
    std::string reason;
    if (!recorder.close(reason))
        dialog::messageBox("The recording " + recordingPath + " could not be finished:\r\n" + reason,
                           "Record sound", MB_OK);
}

}  // namespace

void recordSoundCommand(HWND window) {
    if (receiverAids.recording) {
        finishRecording(window);
        return;
    }
    const std::string proposed =
        (std::filesystem::path(platform::musicFolder()) / (timestampName() + ".wav")).string();
    const std::string path = dialog::askSaveFileName("Record sound", proposed, "WAV sound (*.wav)");
    // The window may have closed while the question was open.
    if (path.empty() || !dialog::windowExists(window)) return;
    std::string reason;
    if (!recorder.open(path, receiverSettings.sampleRate, reason)) {
        dialog::messageBox("Cannot record into " + path + ":\r\n" + reason, "Record sound", MB_OK);
        return;
    }
    recordingPath = path;
    receiverAids.recording = true;
    dialog::checkMenuItem(window, MenuRecordSound, true);
}

void recordAfterFrame(HWND window, const std::uint8_t* samples, int count) {
    std::string reason;
    if (count <= 0 || recorder.append(samples, static_cast<std::size_t>(count), reason)) return;
    finishRecording(window);
    dialog::messageBox("Recording into " + recordingPath + " stopped:\r\n" + reason, "Record sound",
                       MB_OK);
}

void stopSoundRecording(HWND window) {
    if (receiverAids.recording) finishRecording(window);
}
