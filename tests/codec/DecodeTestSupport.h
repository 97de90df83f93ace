#pragma once
// Support for the decode tests: a private temporary directory, sound files
// written with libsndfile, and `nbtvcodec decode` run in this process with
// its standard output and error captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QString>

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
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(path)) out.push_back(fs::relative(entry.path(), path).string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

// Writes interleaved 16-bit samples; libsndfile converts to `format`.
inline void writeSound(const std::string& path, const std::vector<short>& samples, int channels, int format,
                       int rate = 10000) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(file);
}

// Unsigned 8-bit mono, holding exactly these bytes.
inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::vector<short> samples;
    for (std::uint8_t b : bytes) samples.push_back(static_cast<short>((b - 128) * 256));
    writeSound(path, samples, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

struct DecodeRun {
    int status = -1;
    std::string out, err;
};

inline DecodeRun decode(std::vector<std::string> args) {
    static TempDir captures;
    std::fflush(stdout);
    std::fflush(stderr);
    const int saved[2] = {::dup(1), ::dup(2)};
    for (int fd : {1, 2}) {
        const int file = ::open((captures / std::to_string(fd)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, fd);
        ::close(file);
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    DecodeRun run;
    run.status = runDecode(static_cast<int>(args.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    for (int fd : {1, 2}) {
        ::dup2(saved[fd - 1], fd);
        ::close(saved[fd - 1]);
    }
    run.out = readFile(captures / "1");
    run.err = readFile(captures / "2");
    return run;
}

// The nbtvcodec program of this build.
inline std::string codecProgram() {
    const QString top = qEnvironmentVariableIsEmpty("NBTV_BINARY_DIR")
                            ? QCoreApplication::applicationDirPath() + QStringLiteral("/..")
                            : qEnvironmentVariable("NBTV_BINARY_DIR");
    return fs::absolute((top + QStringLiteral("/codec/nbtvcodec")).toStdString()).string();
}

// Runs a shell line with $C standing for nbtvcodec, in the folder.
inline int shell(const TempDir& dir, const std::string& line) {
    return std::system(("cd '" + dir.path.string() + "' || exit 1; C='" + codecProgram() + "'; " + line).c_str());
}

}  // namespace decodetest
