#include "codec/CommandLine.h"
#include "codec/Codec.h"

int runDecode(int, char**) { return codec::fail("decode is not built yet"); }
