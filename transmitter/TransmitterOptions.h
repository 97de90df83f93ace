#pragma once
// The transmitter's command line: only --help and --version; with no
// arguments the window opens as always.

// Returns -1 when the transmitter should run, else the exit code to end with.
int readTransmitterOptions(int argc, char** argv);
