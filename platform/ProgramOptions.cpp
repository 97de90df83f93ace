#include "platform/ProgramOptions.h"

#include <cstdio>
#include <string>

namespace platform {

namespace {

int misuse(const std::string& program, const std::string& what) {
    std::fprintf(stderr, "%s: %s (try --help)\n", program.c_str(), what.c_str());
    return 2;
}

}  // namespace

int readProgramOptions(CLI::App& app, int argc, char** argv, std::string (*wording)(const std::string&)) {
    const std::string program = app.get_name();
    app.set_help_flag("-h,--help", "Print this help and exit");
    app.set_version_flag("--version", program + " " + NBTV_VERSION, "Print the version and exit");
    app.allow_extras(true);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        return 0;
    } catch (const CLI::ParseError& e) {
        return misuse(program, wording != nullptr ? wording(e.what()) : std::string(e.what()));
    }
    for (const std::string& extra : app.remaining()) {
        if (extra == "--") continue;
        return misuse(program, extra.size() > 1 && extra[0] == '-' ? "unknown option '" + extra + "'"
                                                                   : "unexpected argument '" + extra + "'");
    }
    return -1;
}

}  // namespace platform
