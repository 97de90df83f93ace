// A test card through the built nbtvcodec: encoded as the transmitter sends
// it, decoded as the receiver shows it at its start settings.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "transmitter/Synthesis.h"

using namespace tx;

namespace {

// The card: 32 stripes, 3 columns each, black at the left to white.
int cardGrey(int stripe) { return static_cast<int>(std::lround(stripe * 255.0 / 31)); }

// What the receiver shows for the steady tone of a grey (FM, contrast 450,
// brightness 277): its detector gives the sine of the tone's phase advance
// against a quarter of the sample rate.
double shownGrey(int grey) {
    const float level = static_cast<float>(226 - (grey >> 3) * 0x421 / 1024.0);
    const double tone = SampleRate * (1 - phaseStep(level) / (2 * M_PI));
    const double value = std::sin(2 * M_PI * (tone - SampleRate / 4.0) / SampleRate);
    return std::clamp(450 * value + 277 - 50, 0.0, 255.0);
}

// The built nbtvcodec: under NBTV_BINARY_DIR when that is set, else beside
// this test's folder of the build tree.
QString codecProgram() {
    const QString top = qEnvironmentVariableIsEmpty("NBTV_BINARY_DIR")
                            ? QCoreApplication::applicationDirPath() + QStringLiteral("/..")
                            : qEnvironmentVariable("NBTV_BINARY_DIR");
    return top + QStringLiteral("/codec/nbtvcodec");
}

bool runCodec(const QStringList& arguments, QString& output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(codecProgram(), arguments);
    const bool finished = process.waitForFinished(60000);
    output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

// Tolerance: the receiver hears the signal at 8 bits, which leaves single
// pixels up to about 12 grey levels off the steady-tone value (we allow
// 16); a column's mean over the rows that hold only its own line stays
// within half a level of it (we allow 2).
TEST(RoundTrip, TestCardColumnsComeBack) {
    ASSERT_TRUE(QFileInfo(codecProgram()).isExecutable()) << codecProgram().toStdString() << " is not built";
    QTemporaryDir dir;
    QImage card(PictureColumns, PictureRows, QImage::Format_RGB32);
    for (int y = 0; y < PictureRows; ++y)
        for (int x = 0; x < PictureColumns; ++x) card.setPixel(x, y, qRgb(cardGrey(x / 3), cardGrey(x / 3), cardGrey(x / 3)));
    const QString cardPath = dir.filePath(QStringLiteral("card.png"));
    const QString sound = dir.filePath(QStringLiteral("card.wav"));
    const QString shownPath = dir.filePath(QStringLiteral("shown.png"));
    ASSERT_TRUE(card.save(cardPath));

    QString output;
    ASSERT_TRUE(runCodec({"encode", cardPath, "-o", sound, "--frames", "3"}, output)) << output.toStdString();
    ASSERT_TRUE(runCodec({"decode", sound, "--png", shownPath}, output)) << output.toStdString();

    const QImage shown = QImage(shownPath).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(shown.size(), QSize(PictureColumns, PictureRows));
    for (int stripe = 0; stripe < 32; ++stripe) {
        SCOPED_TRACE(stripe);
        const double expected = shownGrey(cardGrey(stripe));
        // Line 31 - stripe shows in column 3 * stripe; rows 6..95 see no
        // other line through the receiver's filter.
        double sum = 0;
        for (int row = 6; row <= 95; ++row) {
            const int grey = qGray(shown.pixel(3 * stripe, PictureRows - 1 - row));
            EXPECT_NEAR(grey, expected, 16) << "row " << row;
            sum += grey;
        }
        EXPECT_NEAR(sum / 90, expected, 2);
    }
    EXPECT_LT(shownGrey(0), 20);  // the card spans most of the receiver's range
    EXPECT_GT(shownGrey(255), 180);
}
