#pragma once
// The pictures of a folder, for a slideshow.
#include <string>
#include <vector>

namespace platform {

// The names (not paths) of the files in the folder whose kind Qt reads as
// a picture (by their suffix: png, jpg, ...), in name order, hidden files
// left out. False with a one-line errorText when the folder cannot be
// read; an empty list is not an error.
bool listPictureFiles(const std::string& folder, std::vector<std::string>& names,
                      std::string& errorText);

}  // namespace platform
