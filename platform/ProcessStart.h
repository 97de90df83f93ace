#pragma once
// Starting other programs, detached: never waited for unless asked.
#include <cstdint>
#include <string>

namespace platform {

// Starts the command line (split at blanks, no shell; at most its first 256
// characters count) and returns the process id, or 0 when it could not be
// started. With wait set, waits for the program to end; without, returns at
// once and the child is reaped in the background when it ends.
std::int64_t startProcess(const std::string& commandLine, bool wait);

// The page of the volume control that matters to the caller.
enum class VolumePage { Recording, Playback };

// The command line of this desktop's volume-control program: pavucontrol on
// the page asked for where it is installed, else pwvucontrol, else alsamixer
// in a terminal emulator; empty when there is none of them.
std::string volumeControlCommand(VolumePage page);

}  // namespace platform
