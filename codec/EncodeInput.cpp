#include "codec/EncodeInput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/ImageRead.h"

using namespace tx;

namespace codec {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool readRawWords(const std::string& path, ScreenPicture& picture, std::string& errorText) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        errorText = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    // One byte more than a picture, to tell a longer file from an exact one.
    std::vector<unsigned char> bytes(static_cast<std::size_t>(RawPictureBytes) + 1);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get())) {
        errorText = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (got != static_cast<std::size_t>(RawPictureBytes)) {
        errorText = path + (got > static_cast<std::size_t>(RawPictureBytes)
                                ? " is longer than"
                                : " holds " + std::to_string(got) + " bytes, not") +
                    " the 23040 bytes of 11520 raw pixel words";
        return false;
    }
    for (int i = 0; i < PictureWords; ++i) {
        const unsigned word = bytes[2 * i] | (bytes[2 * i + 1] << 8);
        if (word > WhiteWord) {
            errorText = path + ": word " + std::to_string(i) +
                        " is above 0x7FFF; pixel words have bit 15 clear";
            return false;
        }
        picture.words[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(word);
    }
    return true;
}

}  // namespace

bool loadEncodeInput(const std::string& path, bool rawWords, ScreenPicture& picture,
                     std::string& errorText) {
    picture = ScreenPicture{};
    if (rawWords) return readRawWords(path, picture, errorText);
    return platform::readPictureFile(path, picture, errorText);
}

}  // namespace codec
