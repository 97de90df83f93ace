#include "platform/ProcessStart.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <thread>
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

// Waits for a detached child on a thread of its own, so that it never
// lingers as a zombie once it ends, however long it runs.
void reapWhenDone(pid_t child) {
    std::thread([child]() {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace

std::int64_t startProcess(const std::string& commandLine, bool wait) {
    std::vector<std::string> words;
    std::stringstream split(commandLine.substr(0, 256));
    for (std::string word; split >> word;) words.push_back(word);
    if (words.empty()) return 0;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // A detached child: its own session, so it outlives us and never ties
    // up our terminal.
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
        reapWhenDone(pid);
    }
    return pid;
}

std::string volumeControlCommand(VolumePage page) {
    if (onPath("pavucontrol"))
        return page == VolumePage::Recording ? "pavucontrol --tab=2" : "pavucontrol --tab=1";
    if (onPath("pwvucontrol")) return "pwvucontrol";
    // alsamixer draws on a terminal: without one it cannot show anything.
    if (!onPath("alsamixer")) return "";
    for (const char* terminal : {"x-terminal-emulator", "xterm"})
        if (onPath(terminal)) return std::string(terminal) + " -e alsamixer";
    return "";
}

}  // namespace platform
