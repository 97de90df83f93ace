#pragma once
// Starting other programs, detached: never waited for unless asked.
#include <cstdint>
#include <string>

namespace platform {

// Starts the command line (split at blanks, no shell; at most its first 256
// characters count) and returns the process id, or 0 when it could not be
// started. With wait set, waits for
// the program to end.
std::int64_t startProcess(const std::string& commandLine, bool wait);

// The command line of this desktop's volume-control program: pavucontrol
// where it is installed, else pwvucontrol, else alsamixer in a terminal.
std::string volumeControlCommand();

}  // namespace platform
