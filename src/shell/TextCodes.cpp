#include "TextCodes.h"

#include <array>

namespace vellora {
namespace {

struct PaletteEntry {
    const char* name;
    QRgb rgb;
};

constexpr std::array<PaletteEntry, kColorCount> kPalette = {{
    {"black", 0x000000},   {"maroon", 0x800000}, {"green", 0x008000},  {"olive", 0x808000},
    {"navy", 0x000080},    {"purple", 0x800080}, {"teal", 0x008080},   {"gray", 0x808080},
    {"silver", 0xC0C0C0},  {"red", 0xFF0000},    {"lime", 0x00FF00},   {"yellow", 0xFFFF00},
    {"blue", 0x0000FF},    {"fuchsia", 0xFF00FF}, {"aqua", 0x00FFFF},  {"white", 0xFFFFFF},
}};

}  // namespace

QColor ColorOfCode(qint64 code) {
    if (code < 0 || code >= kColorCount) code = kColorBlue;
    return QColor::fromRgb(kPalette[size_t(code)].rgb);
}

int CodeOfColor(const QColor& color) {
    const QRgb rgb = color.rgb() & 0xFFFFFF;
    for (int i = 0; i < kColorCount; ++i)
        if (kPalette[size_t(i)].rgb == rgb) return i;
    return kColorWhite;
}

QString ColorName(int code) {
    if (code < 0 || code >= kColorCount) return QString();
    return QLatin1String(kPalette[size_t(code)].name);
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
