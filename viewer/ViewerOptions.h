#pragma once
// The receiver's command line: only --help and --version; with no
// arguments the window opens as always.

// Returns -1 when the viewer should run, else the exit code to end with.
int readViewerOptions(int argc, char** argv);
