#pragma once
// The transmitter's command line. With no arguments the transmitter starts
// exactly as it always has.
#include <string>

#include "transmitter/StationChoices.h"

// Reads the options into `given`. False when the program ends here with
// `exitCode`: 0 after --help or --version (printed on standard output), 2
// after a bad option (one line on standard error).
bool readCommandLine(int argc, char** argv, StationCommandLine& given, int& exitCode);
