#include "TextCodes.h"

#include <array>

#include "UtilRoutines.h"

namespace vellora {
namespace {

constexpr std::array<const char*, kColorCount> kColorNames = {
    "black",  "maroon", "green", "olive",  "navy", "purple",  "teal", "gray",
    "silver", "red",    "lime",  "yellow", "blue", "fuchsia", "aqua", "white",
};
static_assert(kColorCount == kPaletteSize);

}  // namespace

// The palette and its rules are the store's: the widgets see them as QColor.
QColor ColorOfCode(qint64 code) { return QColor::fromRgb(ColorFromCode(code)); }

int CodeOfColor(const QColor& color) { return CodeFromColor(color.rgb()); }

QString ColorName(int code) {
    if (code < 0 || code >= kColorCount) return QString();
    return QLatin1String(kColorNames[size_t(code)]);
}

int StyleCodeOf(const TextStyle& style) {
    return (style.bold ? 100 : 0) + (style.italic ? 10 : 0) + (style.underline ? 1 : 0);
}

TextStyle StyleOfCode(qint64 code) {
    switch (code) {
        case 0: return {};
        case 1: return {false, false, true};
        case 10: return {false, true, false};
        case 11: return {false, true, true};
        case 100: return {true, false, false};
        case 101: return {true, false, true};
        case 110: return {true, true, false};
        case 111: return {true, true, true};
        default: return {};  // no meaning in a lesson: shown plain
    }
}

TextStyle StyleOfFont(const QFont& font) { return {font.bold(), font.italic(), font.underline()}; }

QFont FontWithStyle(QFont font, qint64 code) {
    const TextStyle s = StyleOfCode(code);
    font.setBold(s.bold);
    font.setItalic(s.italic);
    font.setUnderline(s.underline);
    font.setStrikeOut(false);
    return font;
}

}  // namespace vellora
