// A private PulseAudio server with a null sink at 10000 Hz whose monitor is
// the default input. The clients of this process are pointed at it when it
// is made, before it runs: the sound libraries look for the server when
// PortAudio starts.
#pragma once

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace wavetest {

class PrivatePulseServer {
public:
    PrivatePulseServer() {
        char path[] = "/tmp/nbtv-pulse-XXXXXX";
        if (std::system("command -v pulseaudio >/dev/null") != 0 || mkdtemp(path) == nullptr) return;
        dir_ = path;
        std::ofstream(dir_ + "/server.pa") << "load-module module-native-protocol-unix auth-anonymous=1\n"
                                              "load-module module-null-sink sink_name=nbtv rate=10000\n"
                                              "set-default-sink nbtv\n"
                                              "set-default-source nbtv.monitor\n";
        std::ofstream(dir_ + "/client.conf") << "autospawn = no\n";
        setenv("PULSE_SERVER", ("unix:" + dir_ + "/pulse/native").c_str(), 1);
        setenv("PULSE_CLIENTCONFIG", (dir_ + "/client.conf").c_str(), 1);
    }
    ~PrivatePulseServer() {
        stop(SIGKILL);
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // True when the server runs; false where pulseaudio is missing or will
    // not start.
    bool start() {
        return !dir_.empty() &&
               run("pulseaudio -n -F " + dir_ + "/server.pa --daemonize=yes --exit-idle-time=-1"
                   " --use-pid-file=yes") == 0;
    }
    // Ends the server with that signal (SIGKILL: as a crash would) and waits
    // until it is gone.
    void stop(int signal) {
        std::ifstream pidFile(dir_ + "/pulse/pid");
        long pid = 0;
        if (!(pidFile >> pid) || pid <= 0) return;
        kill(static_cast<pid_t>(pid), signal);
        for (int i = 0; i < 100 && kill(static_cast<pid_t>(pid), 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::remove((dir_ + "/pulse/pid").c_str());
    }

private:
    int run(const std::string& command) const {
        return std::system(("env XDG_RUNTIME_DIR=" + dir_ + " HOME=" + dir_ + " " + command +
                            " >/dev/null 2>&1").c_str());
    }
    std::string dir_;
};

}  // namespace wavetest
