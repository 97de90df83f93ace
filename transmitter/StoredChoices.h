#pragma once
// The station's choices remembered from one run to the next: the source,
// the frames per picture, the callsign, identification, push-to-talk and
// its lead, and the region chosen on the screen. Only what was chosen in
// the window is stored (not the command line's options, which hold for
// their run), and nothing at all with --no-settings. The transmitter's
// specified settings are never stored.
#include <optional>
#include <string>
#include <utility>

#include "transmitter/StationChoices.h"

namespace stored {
inline const std::string Source = "source";
inline const std::string FramesPerPicture = "framesPerPicture";
inline const std::string Callsign = "callsign";
inline const std::string Identify = "identify";
inline const std::string PushToTalk = "ptt";
inline const std::string PushToTalkLead = "pttLead";
inline const std::string Region = "region";
}  // namespace stored

// Reads the stored choices over the station's; a stored value the program
// does not understand is passed over with a line on stderr. The region, if
// one was chosen on the screen, comes back apart.
void readStoredChoices(StationChoices& station, std::optional<std::pair<int, int>>& region);
// Remembers one choice (no-op with --no-settings).
void storeChoice(const std::string& key, const std::string& value);
