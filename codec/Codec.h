#pragma once
// nbtvcodec sub-commands. Each takes the arguments after its name and
// returns the process exit code; errors are one line on stderr.
int runDecode(int argc, char** argv);
int runEncode(int argc, char** argv);
