#pragma once
// The folder of `decode --png-dir`: one PNG per decoded frame,
// frame-00001.png on, each complete on disk (written, renamed into place)
// as soon as its frame is decoded, so a viewer of the folder sees it at
// once. One run's frames are never mixed with another's.
#include <cstdint>
#include <string>

namespace codec {

class OutputFile;

// Writes the 96 x 120 grey picture (top row first) as PNG into the output,
// opened here, so that an output written only at the end is not touched
// before. False with errorText set.
bool writeGreyPicture(OutputFile& file, const std::string& path, const std::uint8_t* grey,
                      std::string& errorText);

// Whether a file name is that of a frame file: "frame-", five or more
// digits, ".png".
bool isFrameFileName(const std::string& name);

// The path of frame `number` (1 for the first) in the folder.
std::string frameFilePath(const std::string& folder, long long number);

// Before anything is decoded: false with a one-line errorText when the
// folder holds frame files and `overwrite` is not given (the message says
// how many), or when the name is taken by something that is not a folder.
// Makes nothing.
bool checkFrameFolder(const std::string& folder, bool overwrite, std::string& errorText);

// When the first frame is ready: makes the folder when it is missing. When it holds frame files already:
// with `overwrite` removes every one of them (no other file), else fails
// as checkFrameFolder does.
bool prepareFrameFolder(const std::string& folder, bool overwrite, std::string& errorText);

// Writes the grey picture as frame `number`, whole.
// False with errorText set; the frames written before stay as they are.
bool writeFrameFile(const std::string& folder, long long number, const std::uint8_t* grey,
                    std::string& errorText);

}  // namespace codec
