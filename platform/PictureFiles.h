#pragma once
// Where the user's pictures and sound go, and pictures written whole: a
// temporary file beside the target, then a rename, so no reader ever sees
// half a picture.
#include <cstdint>
#include <string>

namespace platform {

// The user's Pictures and Music folders (the home folder when the desktop
// names none).
std::string picturesFolder();
std::string musicFolder();

// Writes an 8-bit grey PNG to path, replacing any file there. False, with
// errorText set, when it fails; nothing is then left at path or beside it.
bool savePicture(const std::string& path, const std::uint8_t* grey, int width, int height,
                 std::string& errorText);

// Writes an 8-bit grey PNG into folder (made when missing) as name + ".png",
// or name + "-2.png", "-3.png"... when that exists: never over another file.
// savedPath is the file written.
bool savePictureAsNew(const std::string& folder, const std::string& name, const std::uint8_t* grey,
                      int width, int height, std::string& savedPath, std::string& errorText);

}  // namespace platform
