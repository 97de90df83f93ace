#include "codec/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace codec {

namespace {

// CLI11's words for a misused option, in ours.
std::string mismatchText(const std::string& what) {
    const auto named = [&](std::size_t end) {
        std::string name = what.substr(0, end);
        return name.rfind('-', 0) == 0 ? name : "--" + name;
    };
    std::size_t at = what.find(" was given a disallowed flag override");
    if (at != std::string::npos) return named(at) + " takes no value";
    at = what.find(':');
    if (at != std::string::npos && what.find("missing") != std::string::npos) return named(at) + " needs a value";
    if (at != std::string::npos && what.find("At Most") != std::string::npos) return named(at) + " given more than once";
    return what;
}

}  // namespace

ParseResult parseCommandLine(CLI::App& app, const std::string& command, int argc, char** argv) {
    app.allow_extras(true);
    app.get_formatter()->column_width(26);
    std::vector<std::string> arguments(argv, argv + argc);
    std::reverse(arguments.begin(), arguments.end());
    try {
        app.parse(arguments);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return ParseResult::Help;
    } catch (const CLI::ArgumentMismatch& e) {
        usageError(command + ": " + mismatchText(e.what()));
        return ParseResult::Error;
    } catch (const CLI::ParseError& e) {
        usageError(command + ": " + e.what());
        return ParseResult::Error;
    }
    for (const std::string& extra : app.remaining()) {
        if (extra == "--") continue;
        usageError(command + ": " +
                   (extra.size() > 1 && extra[0] == '-' ? "unknown option '" + extra + "'"
                                                        : "more than one input file ('" + extra + "')"));
        return ParseResult::Error;
    }
    return ParseResult::Run;
}

CLI::Option* addInteger(CLI::App& app, const std::string& name, long long minValue, long long maxValue,
                        long long& value, const std::string& help) {
    return app
        .add_option_function<std::string>(
            name,
            [name, minValue, maxValue, &value](const std::string& text) {
                if (!parseInteger(text.c_str(), minValue, maxValue, value))
                    throw CLI::ValidationError(name + " takes a whole number from " + std::to_string(minValue) +
                                               " to " + std::to_string(maxValue) + ", not '" + text + "'");
            },
            help)
        ->type_name("N")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

CLI::Option* addPath(CLI::App& app, const std::string& name, std::string& value, const std::string& help,
                     const std::string& typeName) {
    return app
        .add_option_function<std::string>(
            name,
            [name, &value](const std::string& text) {
                if (text.empty()) throw CLI::ValidationError(name + " needs a file name");
                value = text;
            },
            help)
        ->type_name(typeName)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

bool parseInteger(const char* text, long long minValue, long long maxValue, long long& value) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') return false;
    if (v < minValue || v > maxValue) return false;
    value = v;
    return true;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "nbtvcodec: %s\n", message.c_str());
    return 1;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "nbtvcodec: %s (try --help)\n", message.c_str());
    return 2;
}

}  // namespace codec
