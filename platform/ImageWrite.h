#pragma once
// Writing pictures to image files.
#include <cstdint>
#include <string>

namespace platform {

// An 8-bit grey PNG of width x height pixels from `pixels`, one byte per
// pixel, top row first, rows `width` bytes apart, as the bytes of a file.
// False when it fails, with errorText set to the reason.
bool encodeGreyPng(const std::uint8_t* pixels, int width, int height, std::string& bytes,
                   std::string& errorText);

}  // namespace platform
