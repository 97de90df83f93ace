// The transmitter's screen grab: words of known colours, the row order,
// regions off the screen, and the preview.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "platform/ScreenGrab.h"

using namespace tx;

namespace {

// A frameless window showing a picture at a fixed place on the screen.
class ShownPicture : public QWidget {
public:
    ShownPicture(const QImage& image, int x, int y)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint), image_(image) {
        setGeometry(x, y, image.width(), image.height());
        show();
        // At once offscreen; after a round trip on a real X server.
        QElapsedTimer waited;
        waited.start();
        while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < 3000) {
            dialog::processPendingEvents();
            QThread::msleep(5);
        }
        repaint();
        for (waited.restart(); waited.elapsed() < 50;) dialog::processPendingEvents();
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, image_); }

private:
    QImage image_;
};

// Bands from the top: white, red, green, blue, black, 24 rows each; the
// top-left pixel is yellow.
QImage colourBands() {
    QImage image(PictureColumns, PictureRows, QImage::Format_RGB32);
    const QRgb bands[] = {qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), 0};
    for (int y = 0; y < PictureRows; ++y)
        for (int x = 0; x < PictureColumns; ++x) image.setPixel(x, y, bands[y / 24]);
    image.setPixel(0, 0, qRgb(255, 255, 0));
    return image;
}

}  // namespace

TEST(ScreenGrab, ConvertsColoursAndPutsTheTopRowLast) {
    ShownPicture shown(colourBands(), 200, 200);
    const ScreenPicture picture = platform::captureScreenRegion(200, 200);
    EXPECT_EQ(pictureWord(picture, 119, 0), 0x7FE0);  // yellow, top left
    EXPECT_EQ(pictureWord(picture, 119, 95), 0x7FFF);
    EXPECT_EQ(pictureWord(picture, 80, 50), 0x7C00);
    EXPECT_EQ(pictureWord(picture, 60, 50), 0x03E0);
    EXPECT_EQ(pictureWord(picture, 24, 95), 0x001F);
    EXPECT_EQ(pictureWord(picture, 23, 95), 0x0000);
    EXPECT_EQ(pictureWord(picture, 0, 0), 0x0000);
}

TEST(ScreenGrab, GivesBlackWhereTheRegionLeavesTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QImage white(PictureColumns, PictureRows, QImage::Format_RGB32);
    white.fill(Qt::white);
    const int x = screen.right() + 1 - 40;  // 40 columns on the screen
    ShownPicture shown(white, x, 100);

    const ScreenPicture partly = platform::captureScreenRegion(x, 100);
    for (int row = 0; row < PictureRows; ++row) {
        ASSERT_EQ(pictureWord(partly, row, 39), WhiteWord) << row;
        ASSERT_EQ(pictureWord(partly, row, 40), 0) << row;
    }
    const ScreenPicture above = platform::captureScreenRegion(x, screen.top() - 200);
    const ScreenPicture farAway = platform::captureScreenRegion(-2147483647 - 1, 2147483647);
    EXPECT_EQ(above.words, ScreenPicture{}.words);
    EXPECT_EQ(farAway.words, ScreenPicture{}.words);
}
