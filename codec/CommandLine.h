#pragma once
// Small helpers for checking nbtvcodec's options.
#include <string>

namespace codec {

// Parses a whole decimal number in [minValue, maxValue]; false on anything
// else (empty, trailing characters, out of range).
bool parseInteger(const char* text, long long minValue, long long maxValue, long long& value);

// Prints "nbtvcodec: MESSAGE" on stderr and returns the exit code 1
// (2 for usage errors), so callers can write `return fail(...)`.
int fail(const std::string& message);
int usageError(const std::string& message);

}  // namespace codec
