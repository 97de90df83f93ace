#include "dialog/DialogLayer.h"
#include "transmitter/CommandLine.h"
#include "transmitter/Window.h"
#include "transmitter/TransmitterState.h"

int main(int argc, char** argv) {
    // Options first, so that --help and --version need no display.
    int exitCode = 0;
    if (!readCommandLine(argc, argv, transmitter.commandLine, exitCode)) return exitCode;
    dialog::startToolkit(argc, argv);
    exitCode = runTransmitter();
    dialog::stopToolkit();
    return exitCode;
}
