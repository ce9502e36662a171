#pragma once

#include <QRect>
#include <QSize>
#include <vector>

namespace vellora {

// The page window's layout rules, free of widgets so that they can be
// checked with exact numbers.

// The page window's design client size and the design places of its controls.
inline constexpr QSize kFrameDesignSize(587, 338);
inline constexpr QRect kWurdsBoxRect(14, 17, 257, 309);
inline constexpr QRect kTextBoxRect(17, 74, 257, 309);
inline constexpr QRect kPicturePanelRect(370, 31, 217, 123);
inline constexpr QRect kPlayerBarRect(338, 312, 197, 23);
inline constexpr QSize kPlayerBarSize(197, 23);

// Where a picture goes: the image size, whether it is stretched, and the
// frame around it (3 pixels on every side).
struct PicturePlacement {
    QSize image;
    bool stretched = false;
    QRect panel;
};

// Fits a picture of `picture` pixels into the area right of the words box
// (whose right edge is `wurdsBoxRight` = left + width) in a client of `client`.
PicturePlacement ScaleImage(QSize picture, QSize client, int wurdsBoxRight);

// One band of the blue gradient background: rows [top, bottom) in `blue`.
struct GradientBand {
    int top;
    int bottom;
    int blue;
};
// 64 bands of client height / 64 rows each, from blue 255 at the top down to 3.
std::vector<GradientBand> GradientBands(int clientHeight);

// Scales a control's edges from the old client size to the new one: left and
// right by the width ratio, top and bottom by the height ratio (each edge
// multiplied, then divided, rounded).
QRect ScaleBounds(const QRect& r, QSize from, QSize to);

// The video player's button bar: centred under the picture area, one pixel
// above the bottom edge.
QRect PlayerBarRect(QSize client, int wurdsBoxRight);

// Where the video panel goes, from the destination rectangle the player
// reports for a video drawn at its own size (origin and size). The panel is
// the video plus 2 pixels on every side, centred in the space right of the
// words box; a video wider than that space is shrunk to it, and one taller
// than the picture area to that area's height, keeping its proportion. A
// video whose size the player does not know fills the space.
QRect VideoPanelRect(const QRect& video, QSize client, int wurdsBoxRight);

}  // namespace vellora
