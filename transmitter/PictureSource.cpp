#include "transmitter/PictureSource.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <vector>

#include "platform/ImageRead.h"
#include "platform/PictureFolder.h"
#include "platform/ScreenCapture.h"
#include "transmitter/TransmitterState.h"

using namespace tx;

namespace {

// A problem is told once on stderr, in full; the preview's note is short.
void complain(const std::string& text) {
    SourceState& s = transmitter.source;
    if (text == s.complaint) return;
    s.complaint = text;
    if (!text.empty()) std::fprintf(stderr, "transmitter: %s\n", text.c_str());
}

// Reads the file when it is not the one read last or has changed since.
bool readFileIfChanged(const std::string& path, ScreenPicture& picture, std::string& errorText) {
    PictureFileCache& cache = transmitter.source.file;
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    const std::uintmax_t size = error ? 0 : std::filesystem::file_size(path, error);
    const bool same = !error && cache.path == path && cache.written == written && cache.size == size;
    if (!same) {
        cache.path = path;
        cache.written = error ? std::filesystem::file_time_type{} : written;
        cache.size = size;
        cache.good = platform::readPictureFile(path, cache.picture, cache.errorText);
        if (!cache.good) cache.picture = ScreenPicture{};
    }
    picture = cache.picture;
    errorText = cache.errorText;
    return cache.good;
}

std::string screenPicture(ScreenPicture& picture) {
    const platform::ScreenAccess access =
        platform::grabScreenRegion(transmitter.settings.regionX, transmitter.settings.regionY, picture);
    if (access == platform::ScreenAccess::None) return "No screen access";
    if (access == platform::ScreenAccess::Asking) return "Waiting for screen access";
    return "";
}

std::string filePicture(ScreenPicture& picture) {
    std::string errorText;
    if (!readFileIfChanged(transmitter.station.source.path, picture, errorText)) {
        complain(errorText);
        return "No picture file";
    }
    complain("");
    return "";
}

// Moves the folder on to the picture after the current one in name order
// (the first after the last), listing the folder afresh so that pictures
// added meanwhile take their turn. A picture that cannot be read is passed
// over.
std::string nextFolderPicture() {
    SourceState& s = transmitter.source;
    const std::string& folder = transmitter.station.source.path;
    std::vector<std::string> names;
    std::string errorText;
    if (!platform::listPictureFiles(folder, names, errorText)) {
        complain(errorText);
        s.folderName.clear();
        return "No picture folder";
    }
    if (names.empty()) {
        complain("no pictures in " + folder);
        s.folderName.clear();
        return "No pictures in folder";
    }
    auto next = std::upper_bound(names.begin(), names.end(), s.folderName);
    for (std::size_t tried = 0; tried < names.size(); ++tried, ++next) {
        if (next == names.end()) next = names.begin();
        ScreenPicture picture;
        if (readFileIfChanged((std::filesystem::path(folder) / *next).string(), picture, errorText)) {
            s.folderName = *next;
            s.framesLeft = transmitter.station.framesPerPicture;
            complain("");
            return "";
        }
        complain(errorText);
    }
    s.folderName.clear();
    return "No readable pictures";
}

std::string folderPicture(ScreenPicture& picture, bool onAir) {
    SourceState& s = transmitter.source;
    std::string note;
    if (s.folderName.empty() || (onAir && s.framesLeft <= 0)) note = nextFolderPicture();
    if (s.folderName.empty()) {
        picture = ScreenPicture{};
        return note;
    }
    if (onAir) --s.framesLeft;
    picture = s.file.picture;
    return "";
}

std::string cameraPicture(ScreenPicture& picture) {
    SourceState& s = transmitter.source;
    std::string errorText;
    if (s.camera == nullptr) return "No camera";
    switch (platform::cameraPicture(*s.camera, picture, errorText)) {
    case platform::CameraAccess::Granted: complain(""); return "";
    case platform::CameraAccess::Waiting: return "Waiting for camera";
    case platform::CameraAccess::Failed: break;
    }
    complain("camera: " + errorText);
    return "No camera";
}

}  // namespace

void startSource() {
    stopSource();
    const SourceChoice& source = transmitter.station.source;
    if (source.kind == SourceKind::Camera) {
        std::string errorText;
        transmitter.source.camera = platform::openCamera(source.path, errorText);
        if (transmitter.source.camera == nullptr) complain(errorText);
    }
}

void stopSource() {
    SourceState& s = transmitter.source;
    s.camera.reset();
    s.file = PictureFileCache{};
    s.folderName.clear();
    s.framesLeft = 0;
    s.complaint.clear();
}

void pauseSource(bool paused) {
    if (transmitter.source.camera != nullptr) platform::pauseCamera(*transmitter.source.camera, paused);
}

std::string sourcePicture(ScreenPicture& picture, bool onAir) {
    switch (transmitter.station.source.kind) {
    case SourceKind::Screen: return screenPicture(picture);
    case SourceKind::Picture: return filePicture(picture);
    case SourceKind::Folder: return folderPicture(picture, onAir);
    case SourceKind::Camera: return cameraPicture(picture);
    }
    return "";
}
