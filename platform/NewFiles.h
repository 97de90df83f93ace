#pragma once
// Files that appear whole: written under a hidden temporary name beside
// their final place, then renamed or linked there. The temporary file is
// created as any new file of the user's is, with the mode the umask gives
// (0644 under the usual 022), so what appears has that mode too; a file
// that replaces another takes over the other's mode instead.
#include <cstddef>
#include <string>

namespace platform {

// Creates a new, empty file beside `target`, named "." + its name + a
// random ending, open for writing. Returns the descriptor and sets
// `temporary` to its path, or returns -1 with errno set.
int createTemporaryBeside(const std::string& target, std::string& temporary);

// When a regular file exists at `target`, gives the open file `fd` its
// permission bits, so that the one renamed over it keeps them.
void keepModeOf(const std::string& target, int fd);

// Writes all the bytes to the descriptor; false with errno set.
bool writeAll(int fd, const void* data, std::size_t bytes);

}  // namespace platform
