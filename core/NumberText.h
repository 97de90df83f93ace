#pragma once
// The one number-to-text form of every readout and of the decoder's messages.
#include <string>

namespace core {

// 15 significant digits, plain decimal where that fits, else exponent form;
// the same text under every locale.
std::string numberText(double value);

}  // namespace core
