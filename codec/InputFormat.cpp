#include "codec/InputFormat.h"

#include <sndfile.h>

#include "codec/CommandLine.h"

namespace codec {

namespace {

constexpr int MaxChannels = 1024;

const struct {
    const char* name;
    int format;
} RawFormats[] = {
    {"s16le", SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE},
    {"u8", SF_FORMAT_RAW | SF_FORMAT_PCM_U8},
    {"f32le", SF_FORMAT_RAW | SF_FORMAT_FLOAT | SF_ENDIAN_LITTLE},
};

}  // namespace

std::string inputRateProblem(long long rate) {
    const std::string its = "its rate, " + std::to_string(rate) + " Hz, ";
    if (rate <= 0) return its + "is no sample rate";
    if (rate < MinInputRate)
        return its + "is below " + std::to_string(MinInputRate) +
               " Hz: too low to hold the signal, whose line sync tone (" +
               std::to_string(static_cast<int>(nbtv::SyncToneHz)) + " Hz) must lie below half the rate";
    if (rate > MaxInputRate)
        return its + "is more than any sound recording has (at most " + std::to_string(MaxInputRate) + " Hz)";
    return "";
}

bool parseRawFormat(const std::string& text, RawFormat& raw, std::string& errorText) {
    const std::string usage = "--raw takes FORMAT:RATE[:CHANNELS], FORMAT s16le, u8 or f32le, not '" + text + "'";
    const std::size_t first = text.find(':');
    if (first == std::string::npos) {
        errorText = usage;
        return false;
    }
    const std::size_t second = text.find(':', first + 1);
    const std::string name = text.substr(0, first);
    const std::string rateText = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    RawFormat parsed;
    bool known = false;
    for (const auto& candidate : RawFormats)
        if (name == candidate.name) {
            parsed.format = candidate.format;
            known = true;
        }
    long long rate = 0, channels = 1;
    if (!known || !parseInteger(rateText.c_str(), 0, MaxInputRate * 1000, rate) ||
        (second != std::string::npos &&
         !parseInteger(text.c_str() + second + 1, 1, MaxChannels, channels))) {
        errorText = usage;
        return false;
    }
    const std::string problem = inputRateProblem(rate);
    if (!problem.empty()) {
        errorText = "--raw " + text + ": " + problem;
        return false;
    }
    parsed.rate = static_cast<int>(rate);
    parsed.channels = static_cast<int>(channels);
    raw = parsed;
    return true;
}

}  // namespace codec
