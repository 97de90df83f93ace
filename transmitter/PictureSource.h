#pragma once
// Where the sent picture comes from: the screen region, a picture file, a
// folder of pictures shown in turn, or a camera. Every source gives the
// same 96 x 120 picture of 5-5-5 words, which is then sent as the screen's
// always was. A source that gives nothing (a missing file, an empty
// folder, a camera that fails) gives black and says so in a note.
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/ScreenPicture.h"
#include "platform/CameraCapture.h"

// A picture file as last read, read again only when the file changes.
struct PictureFileCache {
    std::string path;
    std::filesystem::file_time_type written{};
    std::uintmax_t size = 0;
    bool good = false;
    std::string errorText;
    tx::ScreenPicture picture;
};

struct SourceState {
    PictureFileCache file;     // the picture file, or the folder's current picture
    std::string folderName;    // the folder's current picture, by name
    int framesLeft = 0;        // frames the folder's current picture still gets
    platform::Camera camera;
    std::string complaint;     // the last problem told on stderr, told once
};

// Opens what the chosen source needs (a camera) and forgets what the last
// one held; stopSource closes it.
void startSource();
void stopSource();
// A camera captures only while the transmitter sends.
void pauseSource(bool paused);

// The source's picture, and the note for the preview ("" when the picture
// is what the source shows). `onAir`: the picture is sent, so a slideshow
// counts it.
std::string sourcePicture(tx::ScreenPicture& picture, bool onAir);
