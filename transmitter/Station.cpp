#include "transmitter/Station.h"

#include "dialog/DialogLayer.h"
#include "dialog/WindowSystem.h"
#include "platform/PushToTalk.h"
#include "platform/StopSignals.h"
#include "transmitter/StoredChoices.h"
#include "transmitter/TransmitterState.h"

using namespace win;
using namespace transmitter_id;

void startStation(HWND window) {
    StationChoices& station = transmitter.station;
    const StationCommandLine& given = transmitter.commandLine;
    station = StationChoices{};
    station.useStoredChoices = !given.noSettings;
    std::optional<std::pair<int, int>> region;
    if (station.useStoredChoices) readStoredChoices(station, region);
    if (given.source) station.source = *given.source;
    if (given.framesPerPicture) station.framesPerPicture = *given.framesPerPicture;
    if (given.callsign) station.callsign = *given.callsign;
    if (given.pushToTalk) station.pushToTalk = *given.pushToTalk;
    if (given.pushToTalkLeadMs) station.pushToTalkLeadMs = *given.pushToTalkLeadMs;
    if (given.region) region = given.region;
    if (region) placeRegion(window, region->first, region->second);

    transmitter.sending = SendingState{};
    transmitter.sending.wanted = !given.noTransmit;
    transmitter.identification = IdentificationState{};
    if (usesPushToTalk(station)) platform::choosePushToTalk(window, station.pushToTalk);
    startSource();
    if (!transmitter.sending.wanted) pauseSource(true);
    platform::watchStopSignals(window);
}

void endStation(int delayMs) {
    KillTimer(transmitter.window, PushToTalkRetryTimer);
    platform::endPushToTalk(delayMs);
    stopSource();
}

void placeRegion(HWND window, int x, int y) {
    tx::TransmitterSettings& s = transmitter.settings;
    s.regionX = x;
    s.regionY = y;
    SetScrollPos(GetDlgItem(window, ScrollX), SB_CTL, s.regionX, true);
    SetScrollPos(GetDlgItem(window, ScrollY), SB_CTL, s.regionY, true);
    dialog::setControlText(window, ValueX, dialog::numberText(s.regionX));
    dialog::setControlText(window, ValueY, dialog::numberText(s.regionY));
}
