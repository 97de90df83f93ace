#include "platform/PlaybackState.h"

#include "platform/WaveDevice.h"

namespace platform {

int playbackDelayMs(win::HWAVEOUT handle) {
    wavedev::Device* device;
    {
        std::lock_guard<std::mutex> lock(wavedev::stateMutex());
        device = wavedev::findDevice(reinterpret_cast<std::uintptr_t>(handle), false);
    }
    // Devices are closed only on this thread: the record stays meanwhile.
    return device != nullptr ? wavedev::backendDelay(*device) : 0;
}

}  // namespace platform
