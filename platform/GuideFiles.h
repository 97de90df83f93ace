#pragma once
// Where the operating guide is: beside the program, in
// PREFIX/share/doc/nbtv for a program in PREFIX/bin (the build tree stages
// a copy in the same layout).
#include <string>
#include <vector>

namespace platform {

inline constexpr const char* GuideFileName = "operating-guide.md";

struct GuideSearch {
    std::string found;                // the guide's full path, "" when none
    std::vector<std::string> looked;  // the folders looked in, in order
};

// Looks in programFolder/../share/doc/nbtv (nowhere when programFolder is
// "").
GuideSearch findGuide(const std::string& programFolder);
// The same for the running program.
GuideSearch findOperatingGuide();

}  // namespace platform
