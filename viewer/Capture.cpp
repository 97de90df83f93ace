// Sound capture: two one-frame buffers queued alternately with the
// wave-input service. (The service calls come with the live-sound work.)
#include "viewer/Viewer.h"

void capturePreamble() {
    ReceiverSettings& s = receiverSettings;
    if (s.frameSamples > 16800) s.frameSamples = 16800;
}

void openCapture(win::HWND) {}
void startCapture() {}
void captureBufferDone(win::HWND, win::LPARAM) {}
void stopCapture() {}
void freeCaptureBuffers() {}
