#include "transmitter/StoredChoices.h"

#include <cstdio>

#include "platform/StoredSettings.h"
#include "transmitter/TransmitterState.h"

namespace {

// The stored text under the key, read by `read`; false when none is stored
// or it is not understood.
template <typename Read>
bool readStored(const std::string& key, Read read) {
    std::string text, errorText;
    if (!platform::readStoredSetting(key, text)) return false;
    if (read(text, errorText)) return true;
    std::fprintf(stderr, "transmitter: the stored %s is passed over: %s\n", key.c_str(),
                 errorText.empty() ? ("'" + text + "'").c_str() : errorText.c_str());
    return false;
}

}  // namespace

void readStoredChoices(StationChoices& station, std::optional<std::pair<int, int>>& region) {
    readStored(stored::Source, [&](const std::string& text, std::string& errorText) {
        return readSource(text, station.source, errorText);
    });
    readStored(stored::FramesPerPicture, [&](const std::string& text, std::string&) {
        return readWholeNumber(text, 1, MostFramesPerPicture, station.framesPerPicture);
    });
    readStored(stored::Callsign, [&](const std::string& text, std::string& errorText) {
        return readCallsign(text, station.callsign, errorText);
    });
    readStored(stored::Identify, [&](const std::string& text, std::string&) {
        if (text != "true" && text != "false") return false;
        station.identify = text == "true";
        return true;
    });
    readStored(stored::PushToTalk, [&](const std::string& text, std::string& errorText) {
        return readPushToTalk(text, station.pushToTalk, errorText);
    });
    readStored(stored::PushToTalkLead, [&](const std::string& text, std::string&) {
        return readWholeNumber(text, 0, MostLeadMs, station.pushToTalkLeadMs);
    });
    readStored(stored::Region, [&](const std::string& text, std::string& errorText) {
        int x = 0, y = 0;
        if (!readRegion(text, x, y, errorText)) return false;
        region = std::make_pair(x, y);
        return true;
    });
}

void storeChoice(const std::string& key, const std::string& value) {
    if (!transmitter.station.useStoredChoices) return;
    if (!platform::storeSetting(key, value))
        std::fprintf(stderr, "transmitter: cannot store the %s in %s\n", key.c_str(),
                     platform::storedSettingsFile().c_str());
}
