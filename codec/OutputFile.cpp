#include "codec/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/NewFiles.h"

namespace codec {

namespace {

// Connects to a listening local socket for writing.
int connectSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

}  // namespace

std::string outputTarget(const std::string& name, std::string& errorText) {
    namespace fs = std::filesystem;
    fs::path path = name;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path.string();
        std::error_code code;
        const fs::path link = fs::read_symlink(path, code);
        if (code) return path.string();
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    errorText = "cannot write " + name + ": too many levels of symbolic links";
    return {};
}

OutputFile::OutputFile(std::string name) : name_(std::move(name)) {}

OutputFile::~OutputFile() {
    if (ownsFd_ && fd_ >= 0) ::close(fd_);
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

bool OutputFile::failed(const std::string& reason) {
    error_ = "cannot write " + name_ + ": " + reason;
    return false;
}

bool OutputFile::open() {
    if (name_ == "-") {
        fd_ = STDOUT_FILENO;
        return true;
    }
    target_ = outputTarget(name_, error_);
    if (target_.empty()) return false;
    struct stat info {};
    const bool exists = ::stat(target_.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return failed("it is a directory");
    if (exists && !S_ISREG(info.st_mode)) {
        fd_ = S_ISSOCK(info.st_mode) ? connectSocket(target_)
                                     : ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) return failed(std::strerror(errno));
        ownsFd_ = true;
        return true;
    }
    fd_ = platform::createTemporaryBeside(target_, temporary_);
    if (fd_ < 0) {
        const std::string reason = std::strerror(errno);
        temporary_.clear();
        return failed(reason);
    }
    ownsFd_ = true;
    // A replaced file keeps its permissions; a new one has the umask's.
    if (exists) platform::keepModeOf(target_, fd_);
    return true;
}

bool OutputFile::write(const void* data, std::size_t bytes) {
    if (fd_ < 0) return failed("it is not open");
    if (!platform::writeAll(fd_, data, bytes)) return failed(std::strerror(errno));
    return true;
}

bool OutputFile::commit() {
    if (fd_ < 0) return failed("it is not open");
    if (temporary_.empty()) {
        committed_ = true;
        return true;
    }
    const bool closed = ::close(fd_) == 0;
    ownsFd_ = false;
    fd_ = -1;
    if (!closed) return failed(std::strerror(errno));
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return failed(std::strerror(errno));
    committed_ = true;
    return true;
}

}  // namespace codec
