#include "transmitter/Identification.h"

#include <algorithm>

#include "platform/TextBand.h"
#include "transmitter/TransmitterState.h"
#include "transmitter/TransmitterValues.h"

using namespace tx;

namespace {

// The callsign is drawn once, into the band and the identification frame,
// and copied from there into every picture.
void drawCallsign(IdentificationState& id, const std::string& callsign) {
    if (id.drawnCallsign == callsign) return;
    id.drawnCallsign = callsign;
    id.band = ScreenPicture{};
    // The band's top rows, where a line ends next to the next line's
    // start, are left black.
    platform::drawTextBand(id.band, callsign, CallsignBandEdgeRows, CallsignBandRows - CallsignBandEdgeRows);
    id.frame = ScreenPicture{};
    platform::drawTextBand(id.frame, callsign, IdentificationTextTop, IdentificationTextRows);
}

}  // namespace

void markIdentification(ScreenPicture& picture, bool onAir) {
    const StationChoices& station = transmitter.station;
    IdentificationState& id = transmitter.identification;
    if (station.callsign.empty()) return;
    drawCallsign(id, station.callsign);
    if (onAir && station.identify && id.framesLeft == 0 &&
        (!id.identified || id.samplesSinceId >= IdentificationInterval)) {
        id.identified = true;
        id.samplesSinceId = 0;
        id.framesLeft = IdentificationFrames;
    }
    if (onAir) id.samplesSinceId += FrameSamples;
    if (onAir && id.framesLeft > 0) {
        --id.framesLeft;
        picture = id.frame;
        return;
    }
    // The band is the picture's top rows, the last rows in memory.
    const std::size_t first = static_cast<std::size_t>(PictureRows - CallsignBandRows) * PictureColumns;
    std::copy(id.band.words.begin() + static_cast<std::ptrdiff_t>(first), id.band.words.end(),
              picture.words.begin() + static_cast<std::ptrdiff_t>(first));
}

void restartIdentification() { transmitter.identification = IdentificationState{}; }
