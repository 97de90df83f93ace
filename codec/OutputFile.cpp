#include "codec/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace codec {

OutputFile::OutputFile(std::string path)
    : path_(std::move(path)), temporary_(path_ + ".part" + std::to_string(::getpid())) {}

OutputFile::~OutputFile() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!committed_) std::remove(temporary_.c_str());
}

bool OutputFile::open() {
    stream_ = std::fopen(temporary_.c_str(), "wb");
    if (stream_ == nullptr) {
        error_ = "cannot write " + path_ + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool OutputFile::write(const void* data, std::size_t bytes) {
    if (stream_ == nullptr || std::fwrite(data, 1, bytes, stream_) != bytes) {
        error_ = "cannot write " + path_ + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool OutputFile::commit() {
    if (stream_ != nullptr) {
        bool ok = std::fflush(stream_) == 0;
        ok = (std::fclose(stream_) == 0) && ok;
        stream_ = nullptr;
        if (!ok) {
            error_ = "cannot write " + path_ + ": " + std::strerror(errno);
            return false;
        }
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        error_ = "cannot write " + path_ + ": " + std::strerror(errno);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace codec
