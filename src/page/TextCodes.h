#pragma once

#include <QColor>
#include <QFont>

namespace vellora {

// Stored colours are a ColorCode: an index 0..15 into this fixed palette, in
// the order of the colour grid.
inline constexpr int kColorCount = 16;
inline constexpr int kColorBlack = 0;
inline constexpr int kColorNavy = 4;
inline constexpr int kColorTeal = 6;
inline constexpr int kColorSilver = 8;
inline constexpr int kColorBlue = 12;
inline constexpr int kColorWhite = 15;

// The colour of a ColorCode; a code outside 0..15 gives blue.
QColor ColorOfCode(qint64 code);
// The ColorCode of a colour (alpha ignored); a colour outside the palette gives 15.
int CodeOfColor(const QColor& color);
// Names of the palette colours ("teal"), for tool tips.
QString ColorName(int code);

// Stored styles are a StyleCode: 100 x bold + 10 x italic + underline.
struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const TextStyle&) const = default;
};

int StyleCodeOf(const TextStyle& style);
// One of the eight codes; any other stored value loads as plain.
TextStyle StyleOfCode(qint64 code);
TextStyle StyleOfFont(const QFont& font);
// `font` with the style of `code`; strike-out is never kept.
QFont FontWithStyle(QFont font, qint64 code);

}  // namespace vellora
