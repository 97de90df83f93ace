#include "dialog/DialogLayer.h"
#include "viewer/ViewerOptions.h"
#include "viewer/Window.h"

int main(int argc, char** argv) {
    // --help and --version answer before the toolkit wants a display.
    const int early = readViewerOptions(argc, argv);
    if (early >= 0) return early;
    dialog::startToolkit(argc, argv);
    const int exitCode = runViewer();
    dialog::stopToolkit();
    return exitCode;
}
