// Compares the picture the viewer shows with the card the transmitter sends.
//   picture_match CARD.gray SHOWN.gray [SKIPPED_TOP_ROWS]
// Both are raw 8-bit grey files of 96 x 120 pixels, top row first: the card
// as it stands on the screen, the shown picture as cut from a screenshot.
// The viewer has no frame sync, so its frame may start anywhere in the
// transmitter's: both pictures are read out in scan order (line 0 is the
// rightmost three columns, each line from the bottom row up) and compared
// over every cyclic shift. Prints the best correlation and the shift. With
// SKIPPED_TOP_ROWS, that many rows along the top of the shown picture do
// not count (a band there that the card does not have).
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int Width = 96, Height = 120, Lines = 32, LineSamples = 120;
constexpr int FrameSamples = Lines * LineSamples + 1;  // sample 0 carries no picture

bool readGrey(const char* path, std::vector<double>& pixels) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != static_cast<std::size_t>(Width * Height)) return false;
    pixels.assign(bytes.begin(), bytes.end());
    return true;
}

// Pixel at column x, row counted from the bottom.
double at(const std::vector<double>& p, int x, int rowFromBottom) {
    return p[static_cast<std::size_t>((Height - 1 - rowFromBottom) * Width + x)];
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<double> card, shown;
    const int skipped = argc == 4 ? std::atoi(argv[3]) : 0;
    if ((argc != 3 && argc != 4) || skipped < 0 || skipped >= Height - 1 || !readGrey(argv[1], card) ||
        !readGrey(argv[2], shown)) {
        std::fprintf(stderr, "usage: picture_match CARD.gray SHOWN.gray [SKIPPED_TOP_ROWS] (96x120 raw grey each)\n");
        return 2;
    }
    // The transmitted frame: sample 1 + 120 i + k is the mean of the three
    // columns of line i at row k.
    std::vector<double> sent(FrameSamples, 0.0);
    for (int i = 0; i < Lines; ++i)
        for (int k = 0; k < LineSamples; ++k)
            sent[1 + LineSamples * i + k] =
                (at(card, 93 - 3 * i, k) + at(card, 94 - 3 * i, k) + at(card, 95 - 3 * i, k)) / 3.0;
    // The received frame: line k sits in column 93 - 3k, sample r in row r
    // (rows 1..119 are shown).
    std::vector<int> position;
    std::vector<double> received;
    for (int k = 0; k < Lines; ++k)
        for (int r = 1; r < Height - skipped; ++r) {
            position.push_back(LineSamples * k + r);
            received.push_back(at(shown, 93 - 3 * k, r));
        }

    double best = -2.0;
    int bestShift = 0;
    const double n = static_cast<double>(received.size());
    double meanR = 0, varR = 0;
    for (double v : received) meanR += v / n;
    for (double v : received) varR += (v - meanR) * (v - meanR);
    for (int shift = 0; shift < FrameSamples; ++shift) {
        double meanS = 0;
        for (int p : position) meanS += sent[(p + shift) % FrameSamples] / n;
        double cov = 0, varS = 0;
        for (std::size_t j = 0; j < received.size(); ++j) {
            const double s = sent[(position[j] + shift) % FrameSamples] - meanS;
            cov += s * (received[j] - meanR);
            varS += s * s;
        }
        const double c = (varS > 0 && varR > 0) ? cov / std::sqrt(varS * varR) : 0.0;
        if (c > best) {
            best = c;
            bestShift = shift;
        }
    }
    std::printf("%.4f %d\n", best, bestShift);
    return 0;
}
