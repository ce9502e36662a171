#include "PageGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vellora {

namespace {
// The nearest integer, halves to the even neighbour (the default rounding mode).
int RoundHalfEven(double value) { return int(std::nearbyint(value)); }
}  // namespace

PicturePlacement ScaleImage(QSize picture, QSize client, int wurdsBoxRight) {
    PicturePlacement p;
    int w = picture.width();
    int h = picture.height();
    const int areaWidth = client.width() - (wurdsBoxRight + 8);
    const int areaHeight = client.height() - 8;
    if (w <= areaWidth && h <= areaHeight) {
        p.image = QSize(w, h);
    } else {
        // Single precision, as the ratios always were; the larger one wins
        // (the height's when they are equal).
        const float rw = areaWidth > 0 ? float(w) / float(areaWidth) : INFINITY;
        const float rh = areaHeight > 0 ? float(h) / float(areaHeight) : INFINITY;
        const float r = rw > rh ? rw : rh;
        w = std::isfinite(r) ? RoundHalfEven(double(float(w) / r)) : 0;
        h = std::isfinite(r) ? RoundHalfEven(double(float(h) / r)) : 0;
        p.stretched = true;
        p.image = (w > 0 && h > 0) ? QSize(w, h) : QSize(std::max(areaWidth, 0), std::max(areaHeight, 0));
    }
    const int panelWidth = p.image.width() + 6;
    const int panelHeight = p.image.height() + 6;
    const int left = wurdsBoxRight + 3 + (areaWidth - panelWidth) / 2;
    const int top = (client.height() - panelHeight) / 2;
    p.panel = QRect(left, top, panelWidth, panelHeight);
    return p;
}

std::vector<GradientBand> GradientBands(int clientHeight) {
    std::vector<GradientBand> bands;
    const int band = clientHeight / 64;
    if (band <= 0) return bands;
    bands.reserve(64);
    for (int k = 1; k <= 64; ++k) bands.push_back(GradientBand{(k - 1) * band, k * band, 259 - 4 * k});
    return bands;
}

namespace {
int scaleEdge(int edge, int to, int from) {
    if (from <= 0) return edge;
    return int(std::lround(double(qint64(edge) * to) / double(from)));
}
}  // namespace

QRect ScaleBounds(const QRect& r, QSize from, QSize to) {
    const int left = scaleEdge(r.x(), to.width(), from.width());
    const int right = scaleEdge(r.x() + r.width(), to.width(), from.width());
    const int top = scaleEdge(r.y(), to.height(), from.height());
    const int bottom = scaleEdge(r.y() + r.height(), to.height(), from.height());
    return QRect(left, top, right - left, bottom - top);
}

QRect PlayerBarRect(QSize client, int wurdsBoxRight) {
    const int left = wurdsBoxRight + (client.width() - wurdsBoxRight - kPlayerBarSize.width()) / 2;
    const int top = client.height() - kPlayerBarSize.height() - 1;
    return QRect(QPoint(left, top), kPlayerBarSize);
}

QRect VideoPanelRect(const QRect& video, QSize client, int wurdsBoxRight) {
    const int available = client.width() - (wurdsBoxRight + 1);
    if (video.width() <= 0 || video.height() <= 0) {
        const QSize fill(std::max(available - 4, 0), std::max(client.height() - 8, 0));
        return QRect(QPoint(wurdsBoxRight + 1 + (available - fill.width()) / 2, 4), fill);
    }
    int width = video.width() + 4;
    int height = video.height() + 4;
    // Single precision, as the picture's ratios.
    const float proportion = float(height) / float(width);
    if (available < width) {
        width = available - 4;
        height = RoundHalfEven(double(float(width) * proportion));
    }
    // The width rule alone lets a tall video run off the top and bottom of
    // the window: it gets the picture's area height at most.
    if (height > client.height() - 8) {
        height = client.height() - 8;
        width = RoundHalfEven(double(float(height) / proportion));
    }
    const int left = wurdsBoxRight + 1 + (available - width) / 2;
    // Centred on the height of the picture as drawn (the shrunk one when it
    // was shrunk); the device's rectangle counts from its own origin.
    const int top = (client.height() - std::abs(video.y() - (height - 4))) / 2;
    return QRect(left, top, width, height);
}

}  // namespace vellora
