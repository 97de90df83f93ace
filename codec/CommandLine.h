#pragma once
// What nbtvcodec's commands share for their options: one parser (CLI11)
// whose option table is also the help text, and one-line messages.
#include <string>

#include <CLI/CLI.hpp>

namespace codec {

enum class ParseResult { Run, Help, Error };

// Parses the arguments after the command's name. Help goes to stdout;
// any fault is one line on stderr, "nbtvcodec: COMMAND: ... (try --help)".
// Arguments CLI11 leaves over are unknown options or extra input files.
ParseResult parseCommandLine(CLI::App& app, const std::string& command, int argc, char** argv);

// An option taking a whole number in [minValue, maxValue]; "--name=N" and
// "--name N" alike.
CLI::Option* addInteger(CLI::App& app, const std::string& name, long long minValue, long long maxValue,
                        long long& value, const std::string& help);
// An option taking a file name, which must not be empty.
CLI::Option* addPath(CLI::App& app, const std::string& name, std::string& value, const std::string& help,
                     const std::string& typeName = "FILE");

// Parses a whole decimal number in [minValue, maxValue]; false on anything
// else (empty, trailing characters, out of range).
bool parseInteger(const char* text, long long minValue, long long maxValue, long long& value);

// Prints "nbtvcodec: MESSAGE" on stderr and returns the exit code 1
// (2 for usage errors), so callers can write `return fail(...)`.
int fail(const std::string& message);
int usageError(const std::string& message);

}  // namespace codec
