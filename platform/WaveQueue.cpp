// The open devices and their queues of buffers: what both backends share.
// Everything here runs with stateMutex held.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/WaveDevice.h"

namespace wavedev {
namespace {

// Never destroyed: a device left open at exit keeps its record while its
// stream may still call back.
std::vector<std::unique_ptr<Device>>& registry() {
    static auto* devices = new std::vector<std::unique_ptr<Device>>;
    return *devices;
}

std::uintptr_t lastId = 0;

}  // namespace

void returnHead(Device& device, win::DWORD bytes) {
    win::WAVEHDR* header = device.head;
    device.head = header->lpNext;
    if (device.head == nullptr) device.tail = nullptr;
    header->lpNext = nullptr;
    if (device.input) header->dwBytesRecorded = bytes;
    header->dwFlags = (header->dwFlags & ~win::WHDR_INQUEUE) | win::WHDR_DONE;
    device.headOffset = 0;
    noticeFromDevice(device, device.input ? win::MM_WIM_DATA : win::MM_WOM_DONE,
                     reinterpret_cast<win::LPARAM>(header));
}

std::mutex& stateMutex() {
    static std::mutex mutex;
    return mutex;
}

Device* addDevice(std::unique_ptr<Device> device) {
    device->id = ++lastId;
    registry().push_back(std::move(device));
    return registry().back().get();
}

Device* findDevice(std::uintptr_t id, bool input) {
    for (auto& device : registry())
        if (device->id == id && device->input == input) return device.get();
    return nullptr;
}

std::unique_ptr<Device> removeDevice(Device* device) {
    auto& devices = registry();
    auto it = std::find_if(devices.begin(), devices.end(),
                           [device](const auto& d) { return d.get() == device; });
    if (it == devices.end()) return nullptr;
    std::unique_ptr<Device> owned = std::move(*it);
    devices.erase(it);
    return owned;
}

Device* newestDevice(bool input, Backend backend) {
    Device* newest = nullptr;
    for (auto& device : registry())
        if (device->input == input && device->backend == backend) newest = device.get();
    return newest;
}

void forgetDevices(Backend backend) {
    auto& devices = registry();
    for (auto it = devices.begin(); it != devices.end();) {
        if ((*it)->backend != backend) {
            ++it;
            continue;
        }
        for (win::WAVEHDR* h = (*it)->head; h != nullptr; h = h->lpNext) cancelNotice();
        it = devices.erase(it);
    }
}

void queueBuffer(Device& device, win::WAVEHDR* header) {
    reserveNotice();
    header->lpNext = nullptr;
    header->dwFlags = (header->dwFlags & ~win::WHDR_DONE) | win::WHDR_INQUEUE;
    if (device.input) header->dwBytesRecorded = 0;
    if (device.tail != nullptr)
        device.tail->lpNext = header;
    else
        device.head = header;
    device.tail = header;
}

void returnAllBuffers(Device& device) {
    while (device.head != nullptr)
        returnHead(device, device.input ? device.head->dwBytesRecorded : 0);
}

bool recordInput(Device& device, const std::uint8_t* samples, std::size_t count) {
    if (!device.started) return false;
    bool returned = false;
    while (device.head != nullptr) {
        win::WAVEHDR* header = device.head;
        std::size_t room = header->dwBufferLength - header->dwBytesRecorded;
        std::size_t n = std::min(room, count);
        if (n > 0) {
            std::memcpy(header->lpData + header->dwBytesRecorded, samples, n);
            header->dwBytesRecorded += static_cast<win::DWORD>(n);
            samples += n;
            count -= n;
        }
        if (header->dwBytesRecorded < header->dwBufferLength) break;
        returnHead(device, header->dwBufferLength);
        returned = true;
    }
    return returned;
}

bool playOutput(Device& device, std::uint8_t* out, std::size_t count) {
    bool returned = false;
    while (device.head != nullptr) {
        win::WAVEHDR* header = device.head;
        std::size_t left = header->dwBufferLength - device.headOffset;
        std::size_t n = std::min(left, count);
        if (n > 0) {
            std::memcpy(out, header->lpData + device.headOffset, n);
            device.headOffset += static_cast<win::DWORD>(n);
            out += n;
            count -= n;
        }
        if (device.headOffset < header->dwBufferLength) break;
        returnHead(device, 0);
        returned = true;
    }
    if (count > 0) std::memset(out, 0, count);
    return returned;
}

}  // namespace wavedev
