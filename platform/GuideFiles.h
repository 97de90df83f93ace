#pragma once
// Where the operating guide is: installed beside the program
// (PREFIX/share/doc/nbtv beside PREFIX/bin), or in the source tree's docs/
// when the program runs from a build tree.
#include <string>
#include <vector>

namespace platform {

inline constexpr const char* GuideFileName = "operating-guide.md";

struct GuideSearch {
    std::string found;                // the guide's full path, "" when none
    std::vector<std::string> looked;  // the folders looked in, in order
};

// Looks in programFolder/../share/doc/nbtv, then in sourceDocs (each
// skipped when ""), and stops at the first that holds the guide.
GuideSearch findGuide(const std::string& programFolder, const std::string& sourceDocs);
// The same for the running program and the source tree it was built from.
GuideSearch findOperatingGuide();

}  // namespace platform
