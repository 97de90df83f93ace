#pragma once
// Writing pictures to image files.
#include <cstdint>
#include <string>

namespace platform {

// Writes an 8-bit grey PNG of width x height pixels from `pixels`, one byte
// per pixel, top row first, rows `width` bytes apart. The format is PNG
// whatever the path's ending. False when it fails, with errorText set to
// the reason (without the path).
bool writeGreyPng(const std::string& path, const std::uint8_t* pixels, int width, int height,
                  std::string& errorText);

// The same PNG as the bytes of a file, for outputs that are streams.
bool encodeGreyPng(const std::uint8_t* pixels, int width, int height, std::string& bytes,
                   std::string& errorText);

}  // namespace platform
