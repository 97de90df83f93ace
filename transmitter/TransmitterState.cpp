#include "transmitter/TransmitterState.h"

TransmitterState transmitter;
