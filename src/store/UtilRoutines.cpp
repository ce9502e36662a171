#include "UtilRoutines.h"

namespace vellora {

Rgb ColorFromCode(qint64 code) {
    if (code < 0 || code >= kPaletteSize) return kPalette[kColorCodeBlue];
    return kPalette[code];
}

int CodeFromColor(Rgb color) {
    for (int i = 0; i < kPaletteSize; ++i)
        if ((kPalette[i] & 0xFFFFFFu) == (color & 0xFFFFFFu)) return i;
    return kColorCodeWhite;
}

QString TrimRight(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).unicode() <= u' ') --n;
    return text.left(n);
}

}  // namespace vellora
