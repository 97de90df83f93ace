#include "transmitter/CommandLine.h"

#include <functional>

#include "platform/ProgramOptions.h"

namespace {

// An option whose text is read by `read`, which throws CLI11's validation
// error with our words when the text is not of its form.
CLI::Option* addRead(CLI::App& app, const std::string& name, const std::string& typeName,
                     const std::string& help, std::function<bool(const std::string&, std::string&)> read) {
    return app
        .add_option_function<std::string>(
            name,
            [read](const std::string& text) {
                std::string errorText;
                if (!read(text, errorText)) throw CLI::ValidationError(errorText);
            },
            help)
        ->type_name(typeName)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

std::function<bool(const std::string&, std::string&)> wholeNumber(const std::string& name, int lowest,
                                                                  int highest, std::optional<int>& value) {
    return [name, lowest, highest, &value](const std::string& text, std::string& errorText) {
        int read = 0;
        if (!readWholeNumber(text, lowest, highest, read)) {
            errorText = name + " takes a whole number from " + std::to_string(lowest) + " to " +
                        std::to_string(highest) + ", not '" + text + "'";
            return false;
        }
        value = read;
        return true;
    };
}

// CLI11's words for a misused option, in ours.
std::string plainWords(const std::string& what) {
    const auto named = [&what](std::size_t end) {
        const std::string name = what.substr(0, end);
        return name.rfind('-', 0) == 0 ? name : "--" + name;
    };
    const std::size_t colon = what.find(':');
    if (colon != std::string::npos && what.find("missing") != std::string::npos) return named(colon) + " needs a value";
    const std::size_t flag = what.find(" was given a disallowed flag override");
    if (flag != std::string::npos) return named(flag) + " takes no value";
    return what;
}

void describe(CLI::App& app, StationCommandLine& given) {
    app.description(
        "Sends a 96 x 120 picture as a 32-line television signal through the sound card: "
        "a region of the screen, a picture file, a folder of pictures or a camera, "
        "with the station's callsign, keying the radio through hamlib if asked.");
    app.footer(
        "With no arguments the transmitter opens its window and sends the screen region at once: move\n"
        "the region with its scroll bars, and right-click the window for the sound card to play through\n"
        "and for the station's choices.");
    addRead(app, "--source", "SOURCE",
            "What is sent: screen (the region, the default), picture:FILE, folder:DIR (a slideshow "
            "in name order) or camera[:DEVICE]",
            [&given](const std::string& text, std::string& errorText) {
                SourceChoice source;
                if (!readSource(text, source, errorText)) return false;
                given.source = source;
                return true;
            });
    addRead(app, "--frames-per-picture", "N", "Frames each picture of a folder is sent for (default 10)",
            wholeNumber("--frames-per-picture", 1, MostFramesPerPicture, given.framesPerPicture));
    addRead(app, "--callsign", "CALL",
            "The station's callsign, written into every picture and sent whole every 10 minutes "
            "(\"\" for none)",
            [&given](const std::string& text, std::string& errorText) {
                std::string callsign;
                if (!readCallsign(text, callsign, errorText)) return false;
                given.callsign = callsign;
                return true;
            });
    app.add_flag("--no-transmit", given.noTransmit, "Start with sending off (F12 or \"Transmit\" turns it on)")
        ->disable_flag_override();
    addRead(app, "--ptt", "PTT",
            "Key the radio while sending: rigctld[:HOST:PORT], rig:MODEL:DEVICE[:BAUD] (hamlib's "
            "model number, the radio's CAT command), rts:DEVICE, dtr:DEVICE, or none",
            [&given](const std::string& text, std::string& errorText) {
                core::PushToTalkChoice choice;
                if (!readPushToTalk(text, choice, errorText)) return false;
                given.pushToTalk = choice;
                return true;
            });
    addRead(app, "--ptt-lead", "MS", "Milliseconds between keying the radio and the first sample (default 100)",
            wholeNumber("--ptt-lead", 0, MostLeadMs, given.pushToTalkLeadMs));
    addRead(app, "--region", "X,Y", "The screen region's top-left corner, in screen pixels",
            [&given](const std::string& text, std::string& errorText) {
                int x = 0, y = 0;
                if (!readRegion(text, x, y, errorText)) return false;
                given.region = std::make_pair(x, y);
                return true;
            });
    app.add_flag("--no-settings", given.noSettings,
                 "Neither use nor store the choices remembered from earlier runs")
        ->disable_flag_override();
}

}  // namespace

bool readCommandLine(int argc, char** argv, StationCommandLine& given, int& exitCode) {
    CLI::App app("", "transmitter");
    describe(app, given);
    app.get_formatter()->column_width(24);
    exitCode = platform::readProgramOptions(app, argc, argv, plainWords);
    if (exitCode >= 0) return false;
    exitCode = 0;
    return true;
}
