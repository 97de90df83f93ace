#include "platform/PictureFiles.h"

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "platform/ImageWrite.h"
#include "platform/NewFiles.h"

namespace platform {

namespace {

std::string standardFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    return (folder.isEmpty() ? QDir::homePath() : folder).toStdString();
}

// The picture into a new temporary file beside `target`, with the mode
// of the file it replaces when `keepMode` (else the umask's); its path,
// or "".
std::string writeTemporary(const std::string& target, bool keepMode, const std::uint8_t* grey, int width,
                           int height, std::string& errorText) {
    std::string bytes;
    if (!encodeGreyPng(grey, width, height, bytes, errorText)) return "";
    std::string temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) {
        errorText = std::strerror(errno);
        return "";
    }
    if (keepMode) keepModeOf(target, fd);
    const bool written = writeAll(fd, bytes.data(), bytes.size());
    const int saved = errno;
    if (::close(fd) != 0 || !written) {
        errorText = std::strerror(written ? errno : saved);
        ::unlink(temporary.c_str());
        return "";
    }
    return temporary;
}

}  // namespace

std::string picturesFolder() { return standardFolder(QStandardPaths::PicturesLocation); }
std::string musicFolder() { return standardFolder(QStandardPaths::MusicLocation); }

bool savePicture(const std::string& path, const std::uint8_t* grey, int width, int height,
                 std::string& errorText) {
    const std::string temporary = writeTemporary(path, true, grey, width, height, errorText);
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
    const std::string temporary =
        writeTemporary((std::filesystem::path(folder) / name).string(), false, grey, width, height, errorText);
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
