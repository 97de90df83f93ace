#pragma once
// For tests that run a program's real window with the scripted sound
// backend: a fixture that switches the backend on and off around each test,
// and read-outs of the wave-call log.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/WaveAudio.h"
#include "tests/doubles/WaveScript.h"

namespace wavescript {

// How gtest prints a logged call in a failure message.
inline void PrintTo(const WaveCall& call, std::ostream* out) {
    *out << call.name << "(header " << call.header << ", length " << call.length << ") -> "
         << call.result;
    if (call.sampleRate != 0) *out << " at " << call.sampleRate;
}

}  // namespace wavescript

// Every test starts with both scripted devices present and an empty log,
// and leaves the real backend and the default notifier behind it.
class ScriptedSoundTest : public ::testing::Test {
protected:
    void SetUp() override { wavescript::useScriptedBackend(true); }
    void TearDown() override {
        win::setWaveNotifier(nullptr);
        wavescript::useScriptedBackend(false);
    }
};

// The calls logged from index `first` on.
inline std::vector<wavescript::WaveCall> callsFrom(std::size_t first) {
    std::vector<wavescript::WaveCall> all = wavescript::calls();
    if (first >= all.size()) return {};
    return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
}

inline std::vector<std::string> callNames(const std::vector<wavescript::WaveCall>& calls) {
    std::vector<std::string> names;
    for (const wavescript::WaveCall& call : calls) names.push_back(call.name);
    return names;
}

// The calls of one name, in order.
inline std::vector<wavescript::WaveCall> callsNamed(const std::vector<wavescript::WaveCall>& calls,
                                                    const std::string& name) {
    std::vector<wavescript::WaveCall> picked;
    for (const wavescript::WaveCall& call : calls)
        if (call.name == name) picked.push_back(call);
    return picked;
}
