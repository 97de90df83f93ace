#pragma once
// What the nbtvcodec fuzz targets share: a private scratch folder, the
// input written to a file there, and the command run on it as from the
// command line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// The scratch folder, made on first use and removed at exit.
const std::string& scratchFolder();

// Writes the bytes to the scratch folder's input file; returns its path.
std::string writeInput(const std::uint8_t* data, std::size_t size);

// Runs a sub-command (runDecode or runEncode) with these arguments.
int runCommand(int (*command)(int, char**), const std::vector<std::string>& arguments);

// The same with the file at `path` as standard input.
int runCommandOnStandardInput(int (*command)(int, char**), const std::vector<std::string>& arguments,
                              const std::string& path);

}  // namespace fuzz
