#include "platform/PictureFiles.h"

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "platform/ImageWrite.h"

namespace platform {

namespace {

std::string standardFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    return (folder.isEmpty() ? QDir::homePath() : folder).toStdString();
}

// A fresh temporary file in the folder, created empty; its path, or "".
std::string temporaryIn(const std::string& folder, std::string& errorText) {
    std::string pattern = (std::filesystem::path(folder) / ".nbtv-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        errorText = std::strerror(errno);
        return "";
    }
    ::close(fd);
    return pattern;
}

// The picture into a temporary file of the folder; its path, or "".
std::string writeTemporary(const std::string& folder, const std::uint8_t* grey, int width,
                           int height, std::string& errorText) {
    const std::string temporary = temporaryIn(folder, errorText);
    if (temporary.empty()) return "";
    if (!writeGreyPng(temporary, grey, width, height, errorText)) {
        std::remove(temporary.c_str());
        return "";
    }
    return temporary;
}

std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

std::string picturesFolder() { return standardFolder(QStandardPaths::PicturesLocation); }
std::string musicFolder() { return standardFolder(QStandardPaths::MusicLocation); }

bool savePicture(const std::string& path, const std::uint8_t* grey, int width, int height,
                 std::string& errorText) {
    const std::string temporary = writeTemporary(folderOf(path), grey, width, height, errorText);
    if (temporary.empty()) return false;
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        errorText = std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool savePictureAsNew(const std::string& folder, const std::string& name, const std::uint8_t* grey,
                      int width, int height, std::string& savedPath, std::string& errorText) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        errorText = code.message();
        return false;
    }
    const std::string temporary = writeTemporary(folder, grey, width, height, errorText);
    if (temporary.empty()) return false;
    // A hard link is made only where no file is: an existing one is never
    // replaced, even by a second writer racing us.
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate =
            (std::filesystem::path(folder) / (name + (n == 1 ? "" : "-" + std::to_string(n)) + ".png"))
                .string();
        if (::link(temporary.c_str(), candidate.c_str()) == 0) {
            ::unlink(temporary.c_str());
            savedPath = candidate;
            return true;
        }
        if (errno != EEXIST) {
            errorText = std::strerror(errno);
            ::unlink(temporary.c_str());
            return false;
        }
    }
    ::unlink(temporary.c_str());
    errorText = "too many pictures of that name";
    return false;
}

}  // namespace platform
