#include "platform/ProcessStart.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

extern char** environ;

namespace platform {

namespace {

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::int64_t startProcess(const std::string& commandLine, bool wait) {
    // Programs started earlier without waiting are reaped here once they end.
    static std::vector<pid_t> running;
    std::erase_if(running, [](pid_t child) { return ::waitpid(child, nullptr, WNOHANG) != 0; });

    std::vector<std::string> words;
    std::stringstream split(commandLine.substr(0, 256));
    for (std::string word; split >> word;) words.push_back(word);
    if (words.empty()) return 0;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // A detached child: its own session, so it outlives us and never ties
    // up our terminal; we reap it only when asked to wait.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) return 0;
    if (wait) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    } else {
        running.push_back(pid);
    }
    return pid;
}

std::string volumeControlCommand() {
    if (onPath("pavucontrol")) return "pavucontrol";
    if (onPath("pwvucontrol")) return "pwvucontrol";
    for (const char* terminal : {"x-terminal-emulator", "xterm"})
        if (onPath(terminal)) return std::string(terminal) + " -e alsamixer";
    return "alsamixer";
}

}  // namespace platform
