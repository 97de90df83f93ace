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

// A clean file that starts on a frame, decoded with --auto, shows the
// picture where it was sent, whether the frames are found or not: the
// frames came out 16 rows up for a photo and drawings on white.
TEST(RoundTrip, AutoFramedCleanFileIsNotShifted) {
    ASSERT_TRUE(QFileInfo(codecProgram()).isExecutable()) << codecProgram().toStdString() << " is not built";
    QTemporaryDir dir;
    auto drawing = [](int x, int y) {
        const double r = std::hypot(x - 48.0, y - 60.0);
        return std::abs(r - 35) < 1.5 || (std::abs(x - 48) < 1 && r < 45) ? 0 : 255;
    };
    auto photo = [](int x, int y) {
        if (y >= 15 && y < 55 && x >= 10 && x < 45) return 245;
        const double v = 128 + 60 * std::sin(y / 13.0) * std::cos(x / 9.0) + 50 * std::sin((y + 2 * x) / 29.0);
        return static_cast<int>(std::clamp(v, 0.0, 255.0));
    };
    for (const auto& [name, grey] : {std::pair<const char*, int (*)(int, int)>{"drawing", drawing}, {"photo", photo}}) {
        SCOPED_TRACE(name);
        QImage card(PictureColumns, PictureRows, QImage::Format_RGB32);
        for (int y = 0; y < PictureRows; ++y)
            for (int x = 0; x < PictureColumns; ++x) card.setPixel(x, y, qRgb(grey(x, y), grey(x, y), grey(x, y)));
        const QString cardPath = dir.filePath(QStringLiteral("card.png")), sound = dir.filePath(QStringLiteral("card.wav")),
                      shownPath = dir.filePath(QStringLiteral("shown.png"));
        ASSERT_TRUE(card.save(cardPath));
        QString output;
        ASSERT_TRUE(runCodec({"encode", cardPath, "-o", sound, "--frames", "12"}, output)) << output.toStdString();
        ASSERT_TRUE(runCodec({"decode", sound, "--auto", "--png", shownPath}, output)) << output.toStdString();
        const QImage shown = QImage(shownPath).convertToFormat(QImage::Format_Grayscale8);
        ASSERT_EQ(shown.size(), QSize(PictureColumns, PictureRows));
        // The row shift in -20..20 at which the shown picture is most like
        // the card (rows 25..94, the lines' own columns).
        auto likeness = [&](int shift) {
            double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0, n = 0;
            for (int y = 25; y < 95; ++y)
                for (int x = 0; x < PictureColumns; x += 3) {
                    const double a = qGray(shown.pixel(x, y)), b = grey(x, y + shift);
                    sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b, ++n;
                }
            return (sab - sa * sb / n) / std::sqrt((saa - sa * sa / n) * (sbb - sb * sb / n));
        };
        int best = 0;
        for (int shift = -20; shift <= 20; ++shift)
            if (likeness(shift) > likeness(best)) best = shift;
        EXPECT_LE(std::abs(best), 1);
        EXPECT_GT(likeness(0), 0.5);
    }
}
