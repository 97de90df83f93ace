#include "transmitter/StationChoices.h"

#include <cerrno>
#include <cstdlib>

namespace {

// The text after "prefix:", if the text starts so.
bool after(const std::string& text, const std::string& prefix, std::string& rest) {
    if (text.rfind(prefix + ":", 0) != 0) return false;
    rest = text.substr(prefix.size() + 1);
    return true;
}

// A path as given, "~" at its start standing for the home folder (the
// shell leaves it alone after "picture:" and the like).
std::string expandHome(const std::string& path) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || !(path == "~" || path.rfind("~/", 0) == 0)) return path;
    return home + path.substr(1);
}

}  // namespace

bool readWholeNumber(const std::string& text, int lowest, int highest, int& value) {
    if (text.empty() || text[0] == ' ' || text[0] == '\t') return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < lowest || v > highest) return false;
    value = static_cast<int>(v);
    return true;
}

bool readSource(const std::string& text, SourceChoice& source, std::string& errorText) {
    std::string rest;
    if (text == "screen") {
        source = {SourceKind::Screen, ""};
    } else if (text == "camera") {
        source = {SourceKind::Camera, ""};
    } else if (after(text, "camera", rest) && !rest.empty()) {
        source = {SourceKind::Camera, expandHome(rest)};
    } else if (after(text, "picture", rest) && !rest.empty()) {
        source = {SourceKind::Picture, expandHome(rest)};
    } else if (after(text, "folder", rest) && !rest.empty()) {
        source = {SourceKind::Folder, expandHome(rest)};
    } else {
        errorText = "'" + text + "' is not a source: screen, picture:FILE, folder:DIR or camera[:DEVICE]";
        return false;
    }
    return true;
}

std::string sourceText(const SourceChoice& source) {
    switch (source.kind) {
    case SourceKind::Screen: return "screen";
    case SourceKind::Picture: return "picture:" + source.path;
    case SourceKind::Folder: return "folder:" + source.path;
    case SourceKind::Camera: return source.path.empty() ? "camera" : "camera:" + source.path;
    }
    return "screen";
}

bool readPushToTalk(const std::string& text, core::PushToTalkChoice& choice, std::string& errorText) {
    using core::PushToTalkKind;
    core::PushToTalkChoice read;
    std::string rest;
    bool good = true;
    if (text == "none") {
        read.kind = PushToTalkKind::None;
    } else if (text == "rigctld") {
        read.kind = PushToTalkKind::Rigctld;
    } else if (after(text, "rigctld", rest)) {
        read.kind = PushToTalkKind::Rigctld;
        // HOST, or HOST:PORT; an IPv6 address goes in brackets.
        std::string host = rest;
        const std::size_t colon = rest.rfind(':');
        const bool bracketed = !rest.empty() && rest[0] == '[';
        if (colon != std::string::npos && (!bracketed || rest[colon - 1] == ']')) {
            host = rest.substr(0, colon);
            good = readWholeNumber(rest.substr(colon + 1), 1, 65535, read.port);
        }
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
        read.host = host;
        good = good && !host.empty();
    } else if (after(text, "rig", rest)) {
        read.kind = PushToTalkKind::Rig;
        const std::size_t first = rest.find(':');
        good = first != std::string::npos && readWholeNumber(rest.substr(0, first), 1, 1 << 30, read.model);
        if (good) {
            read.device = rest.substr(first + 1);
            // A speed after the last colon, when what is left is a device.
            const std::size_t last = read.device.rfind(':');
            int baud = 0;
            if (last != std::string::npos && last > 0 &&
                readWholeNumber(read.device.substr(last + 1), 1, 10000000, baud)) {
                read.baud = baud;
                read.device = read.device.substr(0, last);
            }
            good = !read.device.empty();
        }
    } else if (after(text, "rts", rest) || after(text, "dtr", rest)) {
        read.kind = text[0] == 'r' ? PushToTalkKind::Rts : PushToTalkKind::Dtr;
        read.device = rest;
        good = !rest.empty();
    } else {
        good = false;
    }
    if (!good) {
        errorText = "'" + text +
                    "' is not a push-to-talk: none, rigctld[:HOST[:PORT]], rig:MODEL:DEVICE[:BAUD], "
                    "rts:DEVICE or dtr:DEVICE";
        return false;
    }
    choice = read;
    return true;
}

std::string pushToTalkText(const core::PushToTalkChoice& choice) {
    using core::PushToTalkKind;
    switch (choice.kind) {
    case PushToTalkKind::None: return "none";
    case PushToTalkKind::Rigctld: {
        const bool ipv6 = choice.host.find(':') != std::string::npos;
        return "rigctld:" + (ipv6 ? "[" + choice.host + "]" : choice.host) + ":" + std::to_string(choice.port);
    }
    case PushToTalkKind::Rig:
        return "rig:" + std::to_string(choice.model) + ":" + choice.device +
               (choice.baud > 0 ? ":" + std::to_string(choice.baud) : "");
    case PushToTalkKind::Rts: return "rts:" + choice.device;
    case PushToTalkKind::Dtr: return "dtr:" + choice.device;
    }
    return "none";
}

bool readRegion(const std::string& text, int& x, int& y, std::string& errorText) {
    const std::size_t comma = text.find(',');
    int readX = 0, readY = 0;
    if (comma == std::string::npos ||
        !readWholeNumber(text.substr(0, comma), -FarthestRegion, FarthestRegion, readX) ||
        !readWholeNumber(text.substr(comma + 1), -FarthestRegion, FarthestRegion, readY)) {
        errorText = "'" + text + "' is not a region: X,Y, two whole numbers (screen pixels)";
        return false;
    }
    x = readX;
    y = readY;
    return true;
}

std::string regionText(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

bool readCallsign(const std::string& text, std::string& callsign, std::string& errorText) {
    bool good = text.size() <= LongestCallsign;
    for (char c : text)
        good = good && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '/' || c == '-');
    if (!good) {
        errorText = "'" + text + "' is not a callsign: up to 12 letters, digits, '/' and '-'";
        return false;
    }
    callsign = text;
    return true;
}
