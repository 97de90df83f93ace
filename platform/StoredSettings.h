#pragma once
// Choices a program remembers from one run to the next, as text under a
// key, in the user's configuration folder (on Linux
// ~/.config/nbtv/PROGRAM.ini, following XDG_CONFIG_HOME).
#include <string>

namespace platform {

// Where the program's choices are kept ("transmitter"); set before the
// first read or write.
void setStoredSettingsName(const std::string& program);
// Keeps them under another folder than the user's configuration folder
// from now on (tests, each with a folder of its own).
void setStoredSettingsFolder(const std::string& folder);

// The text stored under the key; false when nothing is.
bool readStoredSetting(const std::string& key, std::string& value);
// Stores the text under the key at once (the file is written before the
// call returns); false when it could not be written.
bool storeSetting(const std::string& key, const std::string& value);
// Forgets every stored choice of the program.
void clearStoredSettings();
// The file the choices are kept in.
std::string storedSettingsFile();

}  // namespace platform
