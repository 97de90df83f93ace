#include "platform/SoundRecorder.h"

#include <sndfile.h>

namespace platform {

SoundRecorder::~SoundRecorder() {
    std::string ignored;
    close(ignored);
}

bool SoundRecorder::open(const std::string& path, int sampleRate, std::string& errorText) {
    std::string ignored;
    close(ignored);
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        errorText = sf_strerror(nullptr);
        return false;
    }
    sf_command(file, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
    file_ = file;
    return true;
}

bool SoundRecorder::append(const std::uint8_t* samples, std::size_t count, std::string& errorText) {
    auto* file = static_cast<SNDFILE*>(file_);
    if (file == nullptr) {
        errorText = "no recording is open";
        return false;
    }
    // Unsigned 8-bit is the WAV file's own sample format: the bytes go in as they are.
    const sf_count_t written = sf_write_raw(file, samples, static_cast<sf_count_t>(count));
    if (written != static_cast<sf_count_t>(count)) {
        errorText = sf_strerror(file);
        return false;
    }
    return true;
}

bool SoundRecorder::close(std::string& errorText) {
    auto* file = static_cast<SNDFILE*>(file_);
    if (file == nullptr) return true;
    file_ = nullptr;
    sf_write_sync(file);
    if (sf_close(file) != 0) {
        errorText = sf_strerror(nullptr);
        return false;
    }
    return true;
}

}  // namespace platform
