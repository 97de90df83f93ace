#pragma once
// Support for the decode tests: a private temporary directory, sound files
// written with libsndfile, and running `nbtvcodec decode` in-process with
// its standard output and error captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include "codec/Codec.h"

namespace decodetest {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "nbtv-decode-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(path)) out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

// Writes `frames` frames of `channels` interleaved 16-bit samples.
inline void writeSound(const std::string& path, const std::vector<short>& samples, int channels,
                       int format, int rate = 10000) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(file);
}

// Unsigned 8-bit mono: libsndfile reads byte b back as (b - 128) * 256.
inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::vector<short> samples(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) samples[i] = static_cast<short>((bytes[i] - 128) * 256);
    writeSound(path, samples, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct DecodeRun {
    int status = -1;
    std::string out, err;
};

// Runs `nbtvcodec decode ARGS` in this process.
inline DecodeRun decode(const std::vector<std::string>& args) {
    static TempDir captures;
    const std::string outPath = captures / "stdout", errPath = captures / "stderr";
    std::fflush(stdout);
    std::fflush(stderr);
    const int savedOut = ::dup(1), savedErr = ::dup(2);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (auto& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    DecodeRun run;
    run.status = runDecode(static_cast<int>(copies.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(savedOut, 1);
    ::dup2(savedErr, 2);
    for (int fd : {out, err, savedOut, savedErr}) ::close(fd);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace decodetest
