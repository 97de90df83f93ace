#pragma once
// How the radio is keyed while the transmitter sends: not at all, through
// a rig control daemon (rigctld) on the network, through the radio's own
// CAT command on a serial line, or by the RTS or DTR line of a serial port.
#include <string>

namespace core {

enum class PushToTalkKind { None, Rigctld, Rig, Rts, Dtr };

struct PushToTalkChoice {
    PushToTalkKind kind = PushToTalkKind::None;
    std::string host = "localhost";  // rigctld
    int port = 4532;                 // rigctld
    int model = 0;                   // the radio's model number (hamlib's list)
    std::string device;              // serial port of the radio or of the line
    int baud = 0;                    // serial speed; 0: the radio's own default
};

}  // namespace core
