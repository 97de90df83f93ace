#include "transmitter/Identification.h"

#include "platform/TextBand.h"
#include "transmitter/TransmitterState.h"
#include "transmitter/TransmitterValues.h"

using namespace tx;

void markIdentification(ScreenPicture& picture, bool onAir) {
    const StationChoices& station = transmitter.station;
    IdentificationState& id = transmitter.identification;
    if (station.callsign.empty()) return;
    if (onAir && station.identify && id.framesLeft == 0 &&
        (!id.identified || id.samplesSinceId >= IdentificationInterval)) {
        id.identified = true;
        id.samplesSinceId = 0;
        id.framesLeft = IdentificationFrames;
    }
    if (onAir) id.samplesSinceId += FrameSamples;
    if (onAir && id.framesLeft > 0) {
        --id.framesLeft;
        picture = ScreenPicture{};
        platform::drawTextBand(picture, station.callsign, IdentificationTextTop, IdentificationTextRows);
        return;
    }
    // The rows a line sync pulse takes are kept black below the text.
    platform::drawTextBand(picture, station.callsign, PictureRows - CallsignBandRows,
                           CallsignBandRows - SyncPulseSamples);
    platform::drawTextBand(picture, "", PictureRows - SyncPulseSamples, SyncPulseSamples);
}

void restartIdentification() { transmitter.identification = IdentificationState{}; }
