#include "dialog/DialogLayer.h"
#include "viewer/Window.h"

int main(int argc, char** argv) {
    dialog::startToolkit(argc, argv);
    const int exitCode = runViewer();
    dialog::stopToolkit();
    return exitCode;
}
