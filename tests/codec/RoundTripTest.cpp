// A test card through the built nbtvcodec: encoded as the transmitter sends
// it, decoded as the receiver shows it at its start settings.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "transmitter/Synthesis.h"

namespace {

// Grey of stripe j (pixel columns 3j..3j+2) of the card: black at the left
// to white at the right.
int cardGrey(int stripe) { return static_cast<int>(std::lround(stripe * 255.0 / 31)); }

// What the receiver shows for a steady tone at its start settings (FM,
// contrast 450, brightness 277): the detector gives the sine of the tone's
// phase advance against a quarter of the sample rate.
double shownGrey(int grey) {
    const int word = (grey >> 3) * 0x421;
    const float level = static_cast<float>(226 - word / 1024.0);
    const double tone = SampleRate * (1 - phaseStep(level) / (2 * M_PI));
    const double value = std::sin(2 * M_PI * (tone - SampleRate / 4.0) / SampleRate);
    return std::clamp(450 * value + 277 - 50, 0.0, 255.0);
}

bool run(const QString& program, const QStringList& arguments, QString& output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

// Tolerance: the receiver hears the signal at 8 bits, which leaves single
// pixels up to about 12 grey levels off the steady-tone value (we allow 16);
// a column's mean over the rows that hold only its own line stays within
// half a level of it (we allow 2).
TEST(RoundTrip, TestCardColumnsComeBack) {
    const char* binaryDir = std::getenv("NBTV_BINARY_DIR");
    if (binaryDir == nullptr) GTEST_SKIP() << "NBTV_BINARY_DIR is not set";
    const QString codec = QString::fromLocal8Bit(binaryDir) + QStringLiteral("/codec/nbtvcodec");

    QTemporaryDir dir;
    QImage card(PictureColumns, PictureRows, QImage::Format_RGB32);
    for (int y = 0; y < PictureRows; ++y)
        for (int x = 0; x < PictureColumns; ++x) {
            const int g = cardGrey(x / 3);
            card.setPixel(x, y, qRgb(g, g, g));
        }
    const QString cardPath = dir.filePath(QStringLiteral("card.png"));
    const QString soundPath = dir.filePath(QStringLiteral("card.wav"));
    const QString shownPath = dir.filePath(QStringLiteral("shown.png"));
    ASSERT_TRUE(card.save(cardPath));

    QString output;
    ASSERT_TRUE(run(codec, {QStringLiteral("encode"), cardPath, QStringLiteral("-o"), soundPath,
                            QStringLiteral("--frames"), QStringLiteral("3")},
                    output))
        << output.toStdString();
    ASSERT_TRUE(run(codec, {QStringLiteral("decode"), soundPath, QStringLiteral("--png"), shownPath}, output))
        << output.toStdString();

    const QImage shown = QImage(shownPath).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(shown.size(), QSize(PictureColumns, PictureRows));
    for (int stripe = 0; stripe < 32; ++stripe) {
        SCOPED_TRACE(stripe);
        const double expected = shownGrey(cardGrey(stripe));
        // Line 31 - stripe lands in column 3 * stripe. Rows 6..95 see no
        // other line through the receiver's filter.
        double sum = 0;
        int count = 0;
        for (int row = 6; row <= 95; ++row) {
            const int grey = shown.pixelColor(3 * stripe, PictureRows - 1 - row).red();
            EXPECT_NEAR(grey, expected, 16) << "row " << row;
            sum += grey;
            ++count;
        }
        EXPECT_NEAR(sum / count, expected, 2);
    }
    // The card's range, black to white, spans most of the receiver's.
    EXPECT_LT(shownGrey(0), 20);
    EXPECT_GT(shownGrey(255), 180);
}
