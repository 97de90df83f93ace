#include "dialog/DialogLayer.h"
#include "transmitter/TransmitterOptions.h"
#include "transmitter/Window.h"

int main(int argc, char** argv) {
    // --help and --version answer before the toolkit wants a display.
    const int early = readTransmitterOptions(argc, argv);
    if (early >= 0) return early;
    dialog::startToolkit(argc, argv);
    const int exitCode = runTransmitter();
    dialog::stopToolkit();
    return exitCode;
}
