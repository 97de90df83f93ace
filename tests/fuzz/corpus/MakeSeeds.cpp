// Writes the fuzz targets' seed inputs: good and broken sound files for
// decode, good and broken pictures and raw pixel words for encode. Every
// seed starts with the option bytes its target reads first.
//   fuzz_seeds FOLDER   writes FOLDER/decode/* and FOLDER/encode/*
#include <sndfile.h>

#include <QBuffer>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "transmitter/Synthesis.h"

using namespace tx;

namespace {

using Bytes = std::string;
std::string folder;
int written = 0;

void save(const std::string& target, const std::string& name, const Bytes& options, const Bytes& body) {
    const std::string path = folder + "/" + target + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const Bytes all = options + body;
    if (file == nullptr || std::fwrite(all.data(), 1, all.size(), file) != all.size() || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ++written;
}

void put16(Bytes& b, unsigned v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void put32be(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b += static_cast<char>((v >> shift) & 0xFF);
}

// A WAV file as written by hand, so that its header can say anything.
struct Wav {
    unsigned formatTag = 1;  // 1 PCM, 3 float
    unsigned channels = 1;
    std::uint32_t rate = 10000;
    unsigned bits = 8;
    Bytes data;
    long long claimedData = -1;  // the data chunk's size field; -1: the real size
    long long claimedRiff = -1;
};

Bytes wavFile(const Wav& w) {
    const unsigned blockAlign = w.channels * ((w.bits + 7) / 8);
    Bytes fmt;
    put16(fmt, w.formatTag);
    put16(fmt, w.channels);
    put32(fmt, w.rate);
    put32(fmt, w.rate * blockAlign);
    put16(fmt, blockAlign);
    put16(fmt, w.bits);
    Bytes b = "RIFF";
    put32(b, static_cast<std::uint32_t>(w.claimedRiff >= 0 ? w.claimedRiff : 4 + 8 + fmt.size() + 8 + w.data.size()));
    b += "WAVEfmt ";
    put32(b, static_cast<std::uint32_t>(fmt.size()));
    b += fmt;
    b += "data";
    put32(b, static_cast<std::uint32_t>(w.claimedData >= 0 ? w.claimedData : static_cast<long long>(w.data.size())));
    b += w.data;
    return b;
}

// Frames of the transmitter's signal (its left channel) for a picture of
// vertical bars, as values in -1..1.
std::vector<double> pictureSignal(int frames) {
    ScreenPicture picture;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column)
            picture.words[static_cast<std::size_t>(row * PictureColumns + column)] =
                static_cast<std::uint16_t>((column / 12) % 2 != 0 ? WhiteWord : 0);
    TransmitterSettings settings;
    settings.lineSync = -1;
    settings.syncPulseLevel = StandardSyncPulseLevel;
    auto frame = std::make_unique<FrameBuffer>();
    synthesizeFrame(picture, settings, *frame);
    std::vector<double> signal;
    for (int f = 0; f < frames; ++f)
        for (const StereoFrame& sample : frame->frames) signal.push_back(sample.left / 8192.0);
    return signal;
}

Bytes samples(const std::vector<double>& signal, unsigned bits, unsigned channels, bool isFloat) {
    Bytes b;
    for (double v : signal) {
        for (unsigned c = 0; c < channels; ++c) {
            const double x = c == 0 ? v : -v;
            if (isFloat) {
                float f = static_cast<float>(x);
                std::uint32_t word;
                std::memcpy(&word, &f, 4);
                put32(b, word);
            } else if (bits == 8) {
                b += static_cast<char>(std::lround(x * 127.0) + 128);
            } else {
                const long word = std::lround(x * ((1L << (bits - 1)) - 1));
                for (unsigned byte = 0; byte < bits / 8; ++byte) b += static_cast<char>((word >> (8 * byte)) & 0xFF);
            }
        }
    }
    return b;
}

// A file in a container libsndfile writes (AIFF, FLAC, ...), read back whole.
Bytes soundFile(int format, int channels, int rate, const std::vector<double>& signal) {
    const std::string path = folder + "/scratch.sound";
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return {};
    std::vector<double> interleaved;
    for (double v : signal)
        for (int c = 0; c < channels; ++c) interleaved.push_back(v);
    sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(signal.size()));
    sf_close(file);
    std::FILE* in = std::fopen(path.c_str(), "rb");
    Bytes b;
    char chunk[4096];
    for (std::size_t got; in != nullptr && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) b.append(chunk, got);
    if (in != nullptr) std::fclose(in);
    std::remove(path.c_str());
    return b;
}

// The decode target's option bytes: flags (1 AM, 2 sync, 4 invert,
// 8 levels, 16/32 filter, 64 store dump, 128 extreme levels), lengths
// (frame choice in bits 0-2, line choice in 3-5, sync level in 6-7) and
// extra (rate choice in bits 0-2, channel in 3-4, 32 signal dump to
// standard output, 64 input from standard input).
Bytes decodeOptions(unsigned flags, unsigned lengths, unsigned extra = 0) {
    return Bytes{static_cast<char>(flags), static_cast<char>(lengths), static_cast<char>(extra)};
}

void decodeSeeds() {
    const std::vector<double> two = pictureSignal(2), one = pictureSignal(1);
    const Bytes plain = decodeOptions(0, 0);
    Wav good;
    good.data = samples(two, 8, 1, false);
    const Bytes goodFile = wavFile(good);
    save("decode", "wav-8bit-two-frames", plain, goodFile);
    save("decode", "wav-8bit-sync-am", decodeOptions(1 | 2 | 8, 0x40 | (3 << 3)), goodFile);
    save("decode", "wav-8bit-short-frames", decodeOptions(4 | 16, 3 | (1 << 3)), goodFile);
    save("decode", "wav-8bit-long-lines", decodeOptions(2 | 32 | 64, 4 | (7 << 3) | 0xC0), goodFile);

    Wav w16 = good;
    w16.bits = 16;
    w16.data = samples(one, 16, 1, false);
    save("decode", "wav-16bit", plain, wavFile(w16));
    Wav w24 = w16;
    w24.bits = 24;
    w24.data = samples(one, 24, 1, false);
    save("decode", "wav-24bit", decodeOptions(128, 0), wavFile(w24));
    Wav wfloat = w16;
    wfloat.formatTag = 3;
    wfloat.bits = 32;
    std::vector<double> loud = one;
    for (double& v : loud) v *= 3.0;  // past full scale: clipped on reading
    loud[10] = std::numeric_limits<double>::quiet_NaN();
    loud[11] = std::numeric_limits<double>::infinity();
    wfloat.data = samples(loud, 32, 1, true);
    save("decode", "wav-float-beyond-full-scale", plain, wavFile(wfloat));
    Wav w8ch = w16;
    w8ch.channels = 8;
    w8ch.data = samples(std::vector<double>(one.begin(), one.begin() + 2000), 16, 8, false);
    save("decode", "wav-8-channels", decodeOptions(0, 4), wavFile(w8ch));

    for (std::uint32_t rate : {1u, 384000u, 0u, 0xFFFFFFFFu}) {
        Wav odd = good;
        odd.rate = rate;
        save("decode", "wav-rate-" + std::to_string(rate), plain, wavFile(odd));
    }
    Wav empty = good;
    empty.data.clear();
    save("decode", "wav-zero-frames", plain, wavFile(empty));
    Wav shortOne = good;
    shortOne.data.resize(3000);
    save("decode", "wav-less-than-a-frame", plain, wavFile(shortOne));
    for (std::size_t cut : {0u, 4u, 12u, 20u, 36u, 43u, 44u, 1000u})
        save("decode", "wav-truncated-" + std::to_string(cut), plain, goodFile.substr(0, cut));
    Wav huge = good;
    huge.claimedData = 0xFFFFFFFFLL;
    huge.claimedRiff = 0xFFFFFFFFLL;
    save("decode", "wav-huge-claimed-size", plain, wavFile(huge));
    Wav longer = good;
    longer.claimedData = 40000000;
    save("decode", "wav-claims-more-than-it-holds", plain, wavFile(longer));
    Wav noChannels = good;
    noChannels.channels = 0;
    save("decode", "wav-no-channels", plain, wavFile(noChannels));
    Wav oddBits = good;
    oddBits.bits = 12;
    save("decode", "wav-12bit", plain, wavFile(oddBits));
    Wav alaw = good;
    alaw.formatTag = 6;
    save("decode", "wav-a-law", plain, wavFile(alaw));

    const std::vector<double> bit(one.begin(), one.begin() + 4000);
    save("decode", "aiff-16bit", plain, soundFile(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 10000, bit));
    save("decode", "flac-16bit", plain, soundFile(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 10000, bit));
    save("decode", "au-ulaw", plain, soundFile(SF_FORMAT_AU | SF_FORMAT_ULAW, 1, 8000, bit));
    save("decode", "w64-double", plain,
         soundFile(SF_FORMAT_W64 | SF_FORMAT_DOUBLE, 2, 12000, std::vector<double>(bit.begin(), bit.begin() + 1500)));
    save("decode", "not-sound", plain, "this is not a sound file\n");

    // Other rates and channels, streams.
    std::vector<double> right;
    for (double v : two) right.insert(right.end(), {0.3 * std::sin(right.size() * 0.05), v});
    Wav stereo44 = w16;
    stereo44.channels = 2;
    stereo44.rate = 44100;
    stereo44.data = samples(std::vector<double>(right.begin(), right.begin() + 8000), 16, 1, false);
    save("decode", "wav-44100-stereo-right", plain, wavFile(stereo44));
    save("decode", "wav-44100-stereo-channel-2", decodeOptions(0, 0, 2 << 3), wavFile(stereo44));
    save("decode", "wav-8bit-no-resample-stream", decodeOptions(0, 0, 5 | 64), goodFile);
    save("decode", "wav-8bit-rate-2000-dump", decodeOptions(8, 0, 3 | 32), goodFile);
    save("decode", "wav-8bit-stream", decodeOptions(0, 0, 64), goodFile);
    save("decode", "wav-huge-claimed-size-stream", decodeOptions(0, 0, 64), wavFile(huge));
    Wav slow = good;
    slow.rate = 3;
    save("decode", "wav-rate-3-upsampled", decodeOptions(0, 0, 4), wavFile(slow));
    save("decode", "flac-16bit-stream", decodeOptions(0, 0, 1 | 64), soundFile(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 11025, bit));
}

// PNG chunks carry a CRC of their type and data.
std::uint32_t crc32(const Bytes& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

Bytes pngChunk(const std::string& type, const Bytes& data) {
    Bytes b;
    put32be(b, static_cast<std::uint32_t>(data.size()));
    const Bytes body = type + data;
    b += body;
    put32be(b, crc32(body));
    return b;
}

// A PNG whose header says any size, with a tiny (for most sizes wrong)
// picture body.
Bytes pngClaiming(std::uint32_t width, std::uint32_t height) {
    Bytes header;
    put32be(header, width);
    put32be(header, height);
    header += Bytes("\x08\x00\x00\x00\x00", 5);  // 8-bit grey
    // zlib stream of one filter byte and one pixel.
    const Bytes idat("\x78\x01\x01\x02\x00\xFD\xFF\x00\x80\x00\x81\x00\x81", 13);
    return Bytes("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", idat) + pngChunk("IEND", "");
}

Bytes imageFile(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return Bytes(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

Bytes bmpClaiming(std::int32_t width, std::int32_t height) {
    Bytes b = "BM";
    put32(b, 54 + 4);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    put32(b, 0x00FF00FF);
    return b;
}

void encodeSeeds() {
    const Bytes picture(1, '\0'), raw(1, '\1'), rawSync(1, '\3'), pictureSync(1, '\2');
    QImage card(96, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 96; ++x) card.setPixel(x, y, qRgb(x * 2, y * 2, (x + y) % 256));
    const Bytes png = imageFile(card, "PNG");
    save("encode", "png-96x120", picture, png);
    save("encode", "png-96x120-line-sync", pictureSync, png);
    save("encode", "png-truncated", picture, png.substr(0, 60));
    QImage tiny(1, 1, QImage::Format_ARGB32);
    tiny.fill(QColor(10, 200, 30, 40));
    save("encode", "png-1x1-alpha", picture, imageFile(tiny, "PNG"));
    save("encode", "png-1x1-alpha-to-standard-output", Bytes(1, '\4'), imageFile(tiny, "PNG"));
    save("encode", "png-wide", picture, imageFile(card.scaled(300, 7), "PNG"));
    save("encode", "png-0x0", picture, pngClaiming(0, 0));
    save("encode", "png-0x5", picture, pngClaiming(0, 5));
    save("encode", "png-huge", picture, pngClaiming(100000, 100000));
    save("encode", "png-crc-broken", picture, pngClaiming(96, 120).replace(20, 1, "\x55"));
    save("encode", "bmp-96x120", picture, imageFile(card, "BMP"));
    save("encode", "bmp-0x0", picture, bmpClaiming(0, 0));
    save("encode", "bmp-top-down", picture, bmpClaiming(1, -1));
    save("encode", "bmp-huge", picture, bmpClaiming(0x7FFFFFFF, 0x7FFFFFFF));
    save("encode", "jpeg-96x120", picture, imageFile(card, "JPG"));
    save("encode", "ppm-0x0", picture, "P6\n0 0\n255\n");
    save("encode", "pgm-2x2", picture, Bytes("P5\n2 2\n255\n\x00\x40\x80\xFF", 15));
    save("encode", "pbm-text", picture, "P1\n3 2\n1 0 1\n0 1 0\n");
    save("encode", "xpm", picture,
         "/* XPM */\nstatic const char *x[] = {\"2 1 2 1\", \"a c #000000\", \"b c #FFFFFF\", \"ab\"};\n");
    save("encode", "empty", picture, "");
    save("encode", "not-a-picture", picture, "no picture here\n");

    Bytes words;
    for (int i = 0; i < PictureWords; ++i) put16(words, static_cast<unsigned>((i * 37) & WhiteWord));
    save("encode", "raw-words", raw, words);
    save("encode", "raw-words-line-sync", rawSync, words);
    save("encode", "raw-words-one-short", raw, words.substr(0, words.size() - 1));
    save("encode", "raw-words-one-long", raw, words + "x");
    Bytes highBit = words;
    highBit[101] = static_cast<char>(0x80);
    save("encode", "raw-words-bit-15", raw, highBit);
    save("encode", "raw-words-png", raw, png);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fuzz_seeds FOLDER\n", stderr);
        return 2;
    }
    QGuiApplication application(argc, argv);  // image formats from plugins (JPEG)
    folder = argv[1];
    std::filesystem::create_directories(folder + "/decode");
    std::filesystem::create_directories(folder + "/encode");
    decodeSeeds();
    encodeSeeds();
    std::printf("fuzz_seeds: %d seeds in %s\n", written, folder.c_str());
    return 0;
}
