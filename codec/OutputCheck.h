#pragma once
// Refusing, before anything is read, a run whose outputs would overwrite
// its input or each other.
#include <string>
#include <vector>

namespace codec {

struct NamedOutput {
    std::string option;  // as the user knows it: "--png", "-o", ...
    std::string name;    // the path given, "-" for standard output
};

// False with a one-line errorText when an output names the input file
// (the same device and inode, however the path is spelled, "-" for
// standard input), when two outputs name the same file, or when two of
// them use standard output (`stdoutUser`, if not empty, is an option that
// writes there itself, such as --levels).
bool checkOutputs(const std::string& input, const std::vector<NamedOutput>& outputs,
                  const std::string& stdoutUser, std::string& errorText);

}  // namespace codec
