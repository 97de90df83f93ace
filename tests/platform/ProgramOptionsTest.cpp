// A desktop program's command line: --help and --version end the program
// with 0 before anything starts, misuse with 2 and one line on stderr, and
// no arguments let it run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ProgramOptions.h"

namespace {

struct Outcome {
    int result;
    std::string out, err;
};

Outcome read(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    CLI::App app("Does a thing.", "prog");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int result = platform::readProgramOptions(app, static_cast<int>(argv.size()), argv.data());
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    return {result, out, err};
}

}  // namespace

TEST(ProgramOptions, NoArgumentsRunSilently) {
    for (auto words : {std::vector<std::string>{"prog"}, std::vector<std::string>{"prog", "--"}}) {
        const Outcome o = read(words);
        EXPECT_EQ(o.result, -1);
        EXPECT_EQ(o.out + o.err, "");
    }
}

TEST(ProgramOptions, VersionAndHelpPrintOnStandardOutput) {
    Outcome o = read({"prog", "--version"});
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.out, std::string("prog ") + NBTV_VERSION + "\n");
    EXPECT_EQ(o.err, "");
    for (const char* flag : {"--help", "-h"}) {
        o = read({"prog", flag});
        EXPECT_EQ(o.result, 0) << flag;
        EXPECT_EQ(o.out.rfind("Does a thing.\nUsage: prog", 0), 0u) << o.out;
        EXPECT_NE(o.out.find("--version"), std::string::npos);
        EXPECT_EQ(o.err, "");
    }
}

TEST(ProgramOptions, MisuseIsOneLineOnStandardErrorWithExitTwo) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"prog", "--frobnicate"}, "prog: unknown option '--frobnicate' (try --help)\n"},
        {{"prog", "-x"}, "prog: unknown option '-x' (try --help)\n"},
        {{"prog", "picture.png"}, "prog: unexpected argument 'picture.png' (try --help)\n"},
        {{"prog", "--", "-"}, "prog: unexpected argument '-' (try --help)\n"},
    };
    for (const auto& [words, message] : cases) {
        const Outcome o = read(words);
        EXPECT_EQ(o.result, 2) << message;
        EXPECT_EQ(o.err, message);
        EXPECT_EQ(o.out, "");
    }
}
