#include "dialog/DialogLayer.h"
#include "transmitter/Transmitter.h"

int main(int argc, char** argv) {
    dialog::startToolkit(argc, argv);
    const int exitCode = runTransmitter();
    dialog::stopToolkit();
    return exitCode;
}
