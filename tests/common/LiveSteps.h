#pragma once
// Small steps of the tests that talk to a live sound server.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "dialog/DialogReadBack.h"

namespace livetest {

// What the shell command prints on standard output.
inline std::string commandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) text.append(chunk, n);
        pclose(pipe);
    }
    return text;
}

// Two null sinks, twin1 and twin2, that share the description "Twin" (so
// their monitors do too). False when either could not be made.
inline bool addTwinSinks() {
    for (const char* sink : {"twin1", "twin2"})
        if (commandOutput(std::string("pactl load-module module-null-sink rate=10000 sink_name=") + sink +
                          " sink_properties=device.description=Twin")
                .empty())
            return false;
    return true;
}

// Runs the window's events until the condition holds, for at most 10 s.
template <class Condition>
bool eventually(Condition condition) {
    for (int i = 0; i < 100 && !condition(); ++i) {
        dialog::processPendingEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

}  // namespace livetest
