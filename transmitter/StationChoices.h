#pragma once
// What the station sends and how: the picture source, the callsign and
// identification, push-to-talk, the region given by hand, and whether it
// sends at all. Made at the start from the stored choices and the command
// line; the menu changes it while the program runs. With nothing chosen it
// holds the plain transmitter: the screen region, sent from the start, no
// callsign, no push-to-talk.
#include <optional>
#include <string>
#include <utility>

#include "core/PushToTalkChoice.h"
#include "transmitter/TransmitterValues.h"

enum class SourceKind { Screen, Picture, Folder, Camera };

struct SourceChoice {
    SourceKind kind = SourceKind::Screen;
    std::string path;  // the picture file, the folder, or the camera device ("" the first)
};

struct StationChoices {
    SourceChoice source;
    int framesPerPicture = tx::StartFramesPerPicture;  // a slideshow's frames per picture
    std::string callsign;       // "" for none
    bool identify = true;       // the identification frame every 10 minutes
    core::PushToTalkChoice pushToTalk;
    int pushToTalkLeadMs = tx::StartPushToTalkLeadMs;  // keyed this long before the first sample
    bool useStoredChoices = true;
};

// The command line as given; an option not given leaves the stored or
// start value in force.
struct StationCommandLine {
    std::optional<SourceChoice> source;
    std::optional<int> framesPerPicture;
    std::optional<std::string> callsign;
    std::optional<core::PushToTalkChoice> pushToTalk;
    std::optional<int> pushToTalkLeadMs;
    std::optional<std::pair<int, int>> region;
    bool noTransmit = false;
    bool noSettings = false;
};

// Whether the radio is keyed through push-to-talk.
inline bool usesPushToTalk(const StationChoices& station) {
    return station.pushToTalk.kind != core::PushToTalkKind::None;
}

// The limits of the numbers and texts the station takes.
constexpr int MostFramesPerPicture = 100000;
constexpr int MostLeadMs = 2000;
constexpr int FarthestRegion = 100000;  // |X| and |Y| of a region given by hand
constexpr std::size_t LongestCallsign = 12;

// The text forms used on the command line and in the stored choices, and
// their readers; a reader gives a one-line errorText when the text is not
// of its form.
//   source:      screen | picture:FILE | folder:DIR | camera[:DEVICE]
//                ("~/" at the start of a path is the home folder)
//   push-to-talk: none | rigctld[:HOST[:PORT]] | rig:MODEL:DEVICE[:BAUD]
//                 | rts:DEVICE | dtr:DEVICE
//   region:      X,Y
bool readSource(const std::string& text, SourceChoice& source, std::string& errorText);
std::string sourceText(const SourceChoice& source);
bool readPushToTalk(const std::string& text, core::PushToTalkChoice& choice, std::string& errorText);
std::string pushToTalkText(const core::PushToTalkChoice& choice);
bool readRegion(const std::string& text, int& x, int& y, std::string& errorText);
std::string regionText(int x, int y);
// A callsign: up to 12 letters, digits, '/' and '-' ("" is none).
bool readCallsign(const std::string& text, std::string& callsign, std::string& errorText);
// A whole number from lowest to highest, nothing else.
bool readWholeNumber(const std::string& text, int lowest, int highest, int& value);
