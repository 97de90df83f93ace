#pragma once
// Recording captured sound into a WAV file, unsigned 8-bit mono, exactly
// the bytes given. The header is brought up to date after every write, so
// the file is a valid WAV file whenever the program stops.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class SoundRecorder {
public:
    SoundRecorder() = default;
    ~SoundRecorder();
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    // Creates (or replaces) the file. False, with errorText set, on failure.
    bool open(const std::string& path, int sampleRate, std::string& errorText);
    bool isOpen() const { return file_ != nullptr; }
    // Appends the samples. False, with errorText set, when not all were written.
    bool append(const std::uint8_t* samples, std::size_t count, std::string& errorText);
    // Closes the file. False, with errorText set, when the last header
    // update failed.
    bool close(std::string& errorText);

private:
    void* file_ = nullptr;  // SNDFILE*
};

}  // namespace platform
