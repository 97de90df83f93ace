#include "viewer/ViewerOptions.h"

#include "platform/ProgramOptions.h"

int readViewerOptions(int argc, char** argv) {
    CLI::App app("Receives a 32-line television picture through the sound card and shows it live.",
                 "viewer");
    app.footer(
        "With no arguments the viewer opens its window and listens to the sound input: choose the\n"
        "radio's sound card in its Input menu. Help > Operating guide shows how to receive.");
    return platform::readProgramOptions(app, argc, argv);
}
