// Sound output: two frame buffers played back to back. (The service calls
// come with the live-sound work.)
#include "transmitter/Transmitter.h"

void startSoundOutput(win::HWND) {}
void soundBufferDone() {}
void stopSoundOutput() {}
