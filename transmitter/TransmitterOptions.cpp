#include "transmitter/TransmitterOptions.h"

#include "platform/ProgramOptions.h"

int readTransmitterOptions(int argc, char** argv) {
    CLI::App app("Sends a region of the screen as a 32-line television picture through the sound card.",
                 "transmitter");
    app.footer(
        "With no arguments the transmitter opens its window and sends at once: move the region with\n"
        "its scroll bars, and right-click the window for the sound card to play through.");
    return platform::readProgramOptions(app, argc, argv);
}
