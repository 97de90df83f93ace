#pragma once
// The command line of a desktop program, read before its toolkit starts, so
// that --help and --version work without a display.
#include <CLI/CLI.hpp>

#include <string>

namespace platform {

// Reads argv with app, which holds the program's own options and its usage
// text. --help prints the usage and --version "NAME VERSION" on standard
// output; an unknown option or a stray argument is one line on standard
// error. Returns -1 when the program should run, else the exit code to end
// with: 0 after --help or --version, 2 for a misuse. `wording`, if given,
// puts CLI11's words for a misuse in the program's own.
int readProgramOptions(CLI::App& app, int argc, char** argv,
                       std::string (*wording)(const std::string&) = nullptr);

}  // namespace platform
