// The tuning display: the spectrum of the captured sound over a scrolling
// waterfall, markers where a transmitter's tones fall, and a level meter.
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cstring>
#include <vector>

#include "dialog/ToolWindow.h"
#include "dialog/ToolWindows.h"

namespace dialog {

namespace {

constexpr float FloorDb = -80.0f;  // bottom of the scale; 0 dB is a full-scale sine
constexpr int MeterWidth = 30;
constexpr int AxisHeight = 14;
const QColor MarkerColours[] = {QColor(90, 170, 255), QColor(255, 255, 255), QColor(255, 190, 0)};
const char* const MarkerNames[] = {"B", "W", "S"};

class TuningView : public ToolWindow {
public:
    TuningView(win::Window* owner, int closedId, std::function<void()> closed)
        : ToolWindow(owner, closedId, QStringLiteral("Tuning display"), QSize(420, 260),
                     std::move(closed)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        palette_.reserve(256);
        for (int i = 0; i < 256; ++i) {  // dark blue through green and yellow to white
            const int r = std::clamp(3 * i - 382, 0, 255);
            const int g = std::clamp(2 * i - 120, 0, 255);
            const int b = std::clamp(i < 128 ? 2 * i + 40 : 420 - 2 * i, 0, 255);
            palette_.push_back(qRgb(r, g, b));
        }
    }

    void push(const TuningFrame& frame) {
        spectrum_.assign(frame.levelsDb, frame.levelsDb + frame.bins);
        const std::vector<double> markers(frame.markersHz, frame.markersHz + frame.markerCount);
        if (markers != markers_ || frame.topHz != topHz_) backdrop_ = QImage();  // the scale moved
        markers_ = markers;
        topHz_ = frame.topHz;
        peak_ = frame.peak;
        rms_ = frame.rms;
        clipped_ = frame.clipped;
        ++frames;
        addWaterfallLine();
        update();
    }

    std::vector<double> markers_;
    double topHz_ = 0;
    int frames = 0;

protected:
    void resizeEvent(QResizeEvent*) override {
        const QRect area = waterfallArea();
        if (area.width() <= 0 || area.height() <= 0) return;
        QImage fresh(area.size(), QImage::Format_RGB32);
        fresh.fill(palette_[0]);
        if (!waterfall_.isNull()) {
            // Keep the history, stretched across the new width.
            const QImage old = waterfall_.scaled(area.width(), waterfall_.height());
            for (int y = 0; y < std::min(old.height(), fresh.height()); ++y)
                std::memcpy(fresh.scanLine(y), old.scanLine(y), static_cast<std::size_t>(area.width()) * 4);
        }
        waterfall_ = fresh;
        backdrop_ = QImage();
    }

    // Each frame costs a few blits and one polyline: the background, the
    // axis and the markers are drawn once per size and scale.
    void paintEvent(QPaintEvent*) override {
        const QRect spectrum = spectrumArea();
        const QRect waterfall = waterfallArea();
        if (backdrop_.size() != size()) {
            backdrop_ = QImage(size(), QImage::Format_RGB32);
            QPainter b(&backdrop_);
            b.fillRect(rect(), QColor(16, 16, 24));
            drawAxis(b, QRect(0, spectrum.bottom() + 1, spectrum.width(), AxisHeight));
            drawMarkers(b, spectrum, waterfall);
        }
        QPainter p(this);
        p.drawImage(0, 0, backdrop_);
        if (!waterfall_.isNull()) p.drawImage(waterfall.topLeft(), waterfall_);
        drawSpectrum(p, spectrum);
        drawMeter(p, QRect(width() - MeterWidth + 6, 4, MeterWidth - 10, height() - 8));
    }

private:
    int plotWidth() const { return std::max(1, width() - MeterWidth); }
    QRect spectrumArea() const { return QRect(0, 0, plotWidth(), std::max(1, height() * 2 / 5)); }
    QRect waterfallArea() const {
        const int top = spectrumArea().bottom() + 1 + AxisHeight;
        return QRect(0, top, plotWidth(), std::max(1, height() - top));
    }

    // The strongest bin under each column, from 0 (floor) to 1 (0 dB).
    float columnLevel(int x, int columns) const {
        const int bins = static_cast<int>(spectrum_.size());
        const int first = static_cast<int>(static_cast<long long>(x) * bins / columns);
        const int last = std::max(first + 1, static_cast<int>(static_cast<long long>(x + 1) * bins / columns));
        float level = FloorDb;
        for (int k = first; k < std::min(last, bins); ++k) level = std::max(level, spectrum_[k]);
        return std::clamp((level - FloorDb) / -FloorDb, 0.0f, 1.0f);
    }

    void addWaterfallLine() {
        if (waterfall_.isNull() || spectrum_.empty()) return;
        const int w = waterfall_.width(), h = waterfall_.height();
        if (h > 1)
            std::memmove(waterfall_.scanLine(1), waterfall_.scanLine(0),
                         static_cast<std::size_t>(waterfall_.bytesPerLine()) * (h - 1));
        auto* line = reinterpret_cast<QRgb*>(waterfall_.scanLine(0));
        for (int x = 0; x < w; ++x) line[x] = palette_[static_cast<int>(columnLevel(x, w) * 255.0f)];
    }

    int xOf(double hz, int columns) const {
        return topHz_ > 0 ? static_cast<int>(hz / topHz_ * columns) : 0;
    }

    void drawSpectrum(QPainter& p, const QRect& area) {
        if (spectrum_.empty()) return;
        QPolygon line;
        for (int x = 0; x < area.width(); ++x)
            line << QPoint(x, area.bottom() - static_cast<int>(columnLevel(x, area.width()) * (area.height() - 1)));
        p.setPen(QColor(120, 255, 120));
        p.drawPolyline(line);
    }

    void drawAxis(QPainter& p, const QRect& area) {
        if (topHz_ <= 0) return;
        p.setPen(QColor(170, 170, 170));
        for (int khz = 0; khz * 1000 <= topHz_; ++khz) {
            const int x = xOf(khz * 1000.0, area.width());
            p.drawLine(x, area.top(), x, area.top() + 3);
            if (khz == 0)
                p.drawText(QRect(x + 2, area.top() + 2, 60, area.height() - 2), Qt::AlignLeft,
                           QStringLiteral("0 kHz"));
            else
                p.drawText(QRect(x - 20, area.top() + 2, 40, area.height() - 2), Qt::AlignHCenter,
                           QString::number(khz));
        }
    }

    // Dashed lines over the spectrum, with a tick down to the waterfall's top.
    void drawMarkers(QPainter& p, const QRect& spectrum, const QRect& waterfall) {
        for (std::size_t i = 0; i < markers_.size() && i < 3; ++i) {
            const int x = xOf(markers_[i], spectrum.width());
            p.setPen(QPen(MarkerColours[i], 1, Qt::DashLine));
            p.drawLine(x, spectrum.top() + 12, x, spectrum.bottom());
            p.drawText(QRect(x - 6, spectrum.top(), 12, 12), Qt::AlignCenter, MarkerNames[i]);
            p.setPen(QPen(MarkerColours[i], 2));
            p.drawLine(x, waterfall.top() - 5, x, waterfall.top() - 1);
        }
    }

    void drawMeter(QPainter& p, const QRect& area) {
        p.fillRect(area, clipped_ ? QColor(150, 20, 20) : QColor(40, 40, 48));
        const int rmsHeight = static_cast<int>(std::clamp(rms_, 0.0, 1.0) * area.height());
        p.fillRect(QRect(area.left(), area.bottom() - rmsHeight + 1, area.width(), rmsHeight),
                   QColor(60, 200, 80));
        const int peakY = area.bottom() - static_cast<int>(std::clamp(peak_, 0.0, 1.0) * (area.height() - 1));
        p.setPen(QColor(255, 230, 0));
        p.drawLine(area.left(), peakY, area.right(), peakY);
        if (clipped_) {
            p.setPen(Qt::white);
            p.drawText(area.adjusted(-4, 2, 4, 0), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("CLIP"));
        }
    }

    std::vector<QRgb> palette_;
    QImage waterfall_;
    QImage backdrop_;
    std::vector<float> spectrum_;
    double peak_ = 0, rms_ = 0;
    bool clipped_ = false;
};

ToolWindow* window = nullptr;

}  // namespace

void openTuningDisplay(HWND owner, int closedId) {
    openOrRaise(window, [&] { return new TuningView(liveWindow(owner), closedId, [] { window = nullptr; }); });
}

void closeTuningDisplay() { dismiss(window); }

bool tuningDisplayOpen() { return window != nullptr; }

void showTuning(const TuningFrame& frame) {
    if (window == nullptr || frame.levelsDb == nullptr || frame.bins <= 0) return;
    static_cast<TuningView*>(window)->push(frame);
}

void tuningShown(double* markersHz, int markerCount, double& topHz, int& frames) {
    auto* view = static_cast<TuningView*>(window);
    topHz = view != nullptr ? view->topHz_ : 0;
    frames = view != nullptr ? view->frames : 0;
    for (int i = 0; i < markerCount; ++i)
        markersHz[i] = view != nullptr && i < static_cast<int>(view->markers_.size()) ? view->markers_[i] : 0;
}

}  // namespace dialog
