#pragma once
// Names of saved files.
#include <string>

// "nbtv-YYYYMMDD-HHMMSS", local time now.
std::string timestampName();
