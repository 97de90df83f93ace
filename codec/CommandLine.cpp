#include "codec/CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace codec {

bool parseInteger(const char* text, long long minValue, long long maxValue, long long& value) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') return false;
    if (v < minValue || v > maxValue) return false;
    value = v;
    return true;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "nbtvcodec: %s\n", message.c_str());
    return 1;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "nbtvcodec: %s (try --help)\n", message.c_str());
    return 2;
}

}  // namespace codec
