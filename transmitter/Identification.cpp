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
    // The band's top rows, where a line ends next to the next line's
    // start, are left black.
    platform::drawTextBand(picture, "", 0, CallsignBandEdgeRows);
    platform::drawTextBand(picture, station.callsign, CallsignBandEdgeRows,
                           CallsignBandRows - CallsignBandEdgeRows);
}

void restartIdentification() { transmitter.identification = IdentificationState{}; }
