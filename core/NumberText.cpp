// The one number-to-text form of every readout: 15 significant digits,
// halves away from zero judged by the 16th digit alone, plain decimal while
// that needs at most 15 digits on either side of the point, else exponent
// form ("1.23456789012346E+17").
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/NumberText.h"

namespace core {

std::string numberText(double value) {
    if (std::isnan(value)) return "0";
    if (value == 0.0) return std::signbit(value) ? "-0" : "0";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";

    // The exact decimal expansion: a double never has more than 767
    // significant digits, so this precision prints it without rounding.
    static thread_local char exact[900];
    std::snprintf(exact, sizeof exact, "%.780e", std::fabs(value));
    // exact = "d.ddddd...e+XX", the point being the locale's (the toolkit
    // applies the user's locale, which may write a comma): only the digits
    // count.
    char digits[17];
    int count = 0;
    const char* p = exact;
    while (*p != 'e' && count < 16) {
        if (*p >= '0' && *p <= '9') digits[count++] = *p;
        ++p;
    }
    while (*p != 'e') ++p;
    int exponent = std::atoi(p + 1);
    while (count < 16) digits[count++] = '0';

    // Keep 15 digits; the 16th alone decides the rounding.
    bool roundUp = digits[15] >= '5';
    int kept = 15;
    if (roundUp) {
        int i = kept - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[i];
        } else {  // 999...9 became 1000...0
            digits[0] = '1';
            for (int j = 1; j < kept; ++j) digits[j] = '0';
            ++exponent;
        }
    }
    while (kept > 1 && digits[kept - 1] == '0') --kept;

    std::string text = value < 0 ? "-" : "";
    const int before = exponent >= 0 ? exponent + 1 : 0;
    const int after = exponent >= 0 ? (kept > before ? kept - before : 0) : kept - exponent - 1;
    if (before <= 15 && after <= 15) {
        if (exponent >= 0) {
            for (int i = 0; i < before; ++i) text += i < kept ? digits[i] : '0';
            if (after > 0) {
                text += '.';
                text.append(digits + before, kept - before);
            }
        } else {
            text += '.';
            text.append(-exponent - 1, '0');
            text.append(digits, kept);
        }
        return text;
    }
    text += digits[0];
    if (kept > 1) {
        text += '.';
        text.append(digits + 1, kept - 1);
    }
    text += exponent < 0 ? "E-" : "E+";
    text += std::to_string(exponent < 0 ? -exponent : exponent);
    return text;
}

}  // namespace core
