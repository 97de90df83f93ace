// nbtvcodec: the receiver's and the transmitter's signal work on sound files.
#include <cstdio>
#include <cstring>

#include "codec/Codec.h"

static void usage(FILE* out) {
    std::fputs(
        "Usage: nbtvcodec decode INPUT [options]   sound file -> pictures\n"
        "  or:  nbtvcodec encode INPUT -o OUTPUT.wav [options]   picture -> sound file\n"
        "  or:  nbtvcodec --help | --help-all | --version\n"
        "'nbtvcodec decode --help' and 'nbtvcodec encode --help' list the options;\n"
        "--help-all lists both.\n",
        out);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "decode") == 0) return runDecode(argc - 2, argv + 2);
    if (std::strcmp(command, "encode") == 0) return runEncode(argc - 2, argv + 2);
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        usage(stdout);
        return 0;
    }
    if (std::strcmp(command, "--help-all") == 0) {
        usage(stdout);
        char help[] = "--help";
        char* helpArgument[] = {help, nullptr};
        std::fputs("\nDecode:\n", stdout);
        std::fflush(stdout);
        runDecode(1, helpArgument);
        std::fputs("\nEncode:\n", stdout);
        std::fflush(stdout);
        runEncode(1, helpArgument);
        return 0;
    }
    if (std::strcmp(command, "--version") == 0) {
        std::printf("nbtvcodec %s\n", NBTV_VERSION);
        return 0;
    }
    std::fprintf(stderr, "nbtvcodec: unknown command '%s' (try --help)\n", command);
    return 2;
}
