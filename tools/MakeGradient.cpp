// Draws the preview of the blue gradient background: the same 64 bands the
// page window paints, one row each, as a BMP picture.
//
//     vellora-gradient OUTPUT.bmp

#include <QImage>
#include <QString>
#include <cstdio>

#include "PageGeometry.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    constexpr int kSide = 64;
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (const vellora::GradientBand& band : vellora::GradientBands(kSide))
        for (int y = band.top; y < band.bottom; ++y)
            for (int x = 0; x < kSide; ++x) image.setPixel(x, y, qRgb(0, 0, band.blue));
    if (!image.save(QString::fromLocal8Bit(argv[1]), "BMP")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
