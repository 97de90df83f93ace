#include "codec/FrameFolder.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "codec/OutputFile.h"
#include "platform/ImageWrite.h"
#include "viewer/PictureStore.h"

namespace codec {

namespace fs = std::filesystem;

namespace {

// The frame files in the folder, in no particular order.
bool frameFilesIn(const std::string& folder, std::vector<fs::path>& files, std::string& errorText) {
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
        if (isFrameFileName(it->path().filename().string())) files.push_back(it->path());
    if (code) errorText = "cannot read the folder " + folder + ": " + code.message();
    return !code;
}

std::string refusal(const std::string& folder, std::size_t count) {
    return folder + " already holds " + std::to_string(count) + " frame file" + (count == 1 ? "" : "s") +
           " (frame-*.png) of an earlier run; give --overwrite to replace them, or another folder";
}

}  // namespace

bool isFrameFileName(const std::string& name) {
    const std::string prefix = "frame-", suffix = ".png";
    if (name.size() < prefix.size() + 5 + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size() - suffix.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

std::string frameFilePath(const std::string& folder, long long number) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%05lld.png", number);
    return (fs::path(folder) / name).string();
}

bool checkFrameFolder(const std::string& folder, bool overwrite, std::string& errorText) {
    std::error_code code;
    const fs::file_status status = fs::status(folder, code);
    if (!fs::exists(status)) return true;
    if (!fs::is_directory(status)) {
        errorText = "--png-dir " + folder + " is not a folder";
        return false;
    }
    std::vector<fs::path> earlier;
    if (!frameFilesIn(folder, earlier, errorText)) return false;
    if (!earlier.empty() && !overwrite) {
        errorText = refusal(folder, earlier.size());
        return false;
    }
    return true;
}

bool prepareFrameFolder(const std::string& folder, bool overwrite, std::string& errorText) {
    std::error_code code;
    fs::create_directories(folder, code);
    if (code || !fs::is_directory(folder, code)) {
        errorText = "cannot make the folder " + folder + (code ? ": " + code.message() : ": a file has that name");
        return false;
    }
    std::vector<fs::path> earlier;
    if (!frameFilesIn(folder, earlier, errorText)) return false;
    if (earlier.empty()) return true;
    if (!overwrite) {
        errorText = refusal(folder, earlier.size());
        return false;
    }
    for (const fs::path& file : earlier)
        if (!fs::remove(file, code) && code) {
            errorText = "cannot remove " + file.string() + ": " + code.message();
            return false;
        }
    return true;
}

bool writeGreyPicture(OutputFile& file, const std::string& path, const std::uint8_t* grey,
                      std::string& errorText) {
    std::string bytes, reason;
    if (!platform::encodeGreyPng(grey, rx::PictureWidth, rx::ShownRows, bytes, reason)) {
        errorText = "cannot write " + path + ": " + reason;
        return false;
    }
    if (file.open() && file.write(bytes.data(), bytes.size())) return true;
    errorText = file.errorText();
    return false;
}

bool writeFrameFile(const std::string& folder, long long number, const std::uint8_t* grey,
                    std::string& errorText) {
    const std::string path = frameFilePath(folder, number);
    OutputFile file(path);
    if (!writeGreyPicture(file, path, grey, errorText)) return false;
    if (file.commit()) return true;
    errorText = file.errorText();
    return false;
}

}  // namespace codec
