#include "codec/CommandLine.h"
#include "codec/Codec.h"

int runEncode(int, char**) { return codec::fail("encode is not built yet"); }
