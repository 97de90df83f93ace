#include "dialog/DialogLayer.h"
#include "transmitter/Window.h"

int main(int argc, char** argv) {
    dialog::startToolkit(argc, argv);
    const int exitCode = runTransmitter();
    dialog::stopToolkit();
    return exitCode;
}
