#pragma once

#include <QString>
#include <QtGlobal>

namespace vellora {

// Stored colours are an index 0..15 (ColorCode) into this fixed palette, in the
// order of the colour grid. Colours are 0xFFRRGGBB values, the same layout as
// QRgb, so that the widget layers can use them directly while the store and
// exchange layers stay free of GUI types.
using Rgb = quint32;
inline constexpr int kPaletteSize = 16;
inline constexpr Rgb kPalette[kPaletteSize] = {
    0xFF000000,  // 0 black
    0xFF800000,  // 1 maroon
    0xFF008000,  // 2 green
    0xFF808000,  // 3 olive
    0xFF000080,  // 4 navy
    0xFF800080,  // 5 purple
    0xFF008080,  // 6 teal
    0xFF808080,  // 7 gray
    0xFFC0C0C0,  // 8 silver
    0xFFFF0000,  // 9 red
    0xFF00FF00,  // 10 lime
    0xFFFFFF00,  // 11 yellow
    0xFF0000FF,  // 12 blue
    0xFFFF00FF,  // 13 fuchsia
    0xFF00FFFF,  // 14 aqua
    0xFFFFFFFF,  // 15 white
};
inline constexpr int kColorCodeBlue = 12;
inline constexpr int kColorCodeWhite = 15;

// The colour of a ColorCode; a code outside 0..15 gives blue.
Rgb ColorFromCode(qint64 code);
// The ColorCode of a colour (its alpha is not stored and not compared); a
// colour outside the palette gives 15.
int CodeFromColor(Rgb color);

// `text` without its trailing blanks (spaces and control characters).
QString TrimRight(const QString& text);

}  // namespace vellora
