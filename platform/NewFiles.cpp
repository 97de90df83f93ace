#include "platform/NewFiles.h"

#include <cerrno>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int createTemporaryBeside(const std::string& target, std::string& temporary) {
    // mkstemp() would make the file 0600 whatever the umask; an exclusive
    // create with 0666 lets the umask decide, as for any other new file.
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 draw{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    const std::filesystem::path path = target;
    const std::string stem = "." + path.filename().string() + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 6; ++i) name += Letters[pick(draw)];
        const std::string candidate = (path.parent_path() / name).string();
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            temporary = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

void keepModeOf(const std::string& target, int fd) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) (void)::fchmod(fd, info.st_mode & 07777);
}

bool writeAll(int fd, const void* data, std::size_t bytes) {
    const char* next = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t done = ::write(fd, next, bytes);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return false;
        if (done == 0) {
            errno = EIO;
            return false;
        }
        next += done;
        bytes -= static_cast<std::size_t>(done);
    }
    return true;
}

}  // namespace platform
