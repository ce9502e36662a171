#include "WurdLayout.h"

#include <algorithm>

namespace vellora {

namespace {

constexpr QChar kBlank = QLatin1Char(' ');
constexpr QChar kCr = QChar(13);

bool isWurdChar(QChar c) { return c != kBlank && c != kCr; }

QString withoutTrailingBlanks(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == kBlank) --end;
    return text.left(end);
}

// numerator / denominator (both >= 0) rounded to the nearest integer, halves
// to even; exact, so no floating-point representation error can tip a half.
int roundHalfEven(qint64 numerator, qint64 denominator) {
    const qint64 quotient = numerator / denominator;
    const qint64 twice = 2 * (numerator % denominator);
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) return int(quotient + 1);
    return int(quotient);
}

}  // namespace

bool IsWurd(const QString& text) { return std::any_of(text.begin(), text.end(), isWurdChar); }

int WurdGap(int measuredWidth, qsizetype length) {
    if (length <= 0) return 1;
    return roundHalfEven(qint64(measuredWidth / length) * 6, 10);
}

StagedWurd MeasureWurd(const QString& text, const QFont& font, const TextMeasurer& measurer,
                       int& layoutX, int layoutY, bool widenNarrow) {
    StagedWurd staged{withoutTrailingBlanks(text), {}};
    const QSize size = measurer.measure(font, staged.text);
    const int gap = WurdGap(size.width(), staged.text.size());
    staged.rect = QRect(layoutX, layoutY, size.width(), size.height());
    while (widenNarrow && staged.rect.width() < kNarrowWurdWidth) {
        const QString wider = kBlank + staged.text;
        const int width = measurer.measure(font, wider).width();
        // A font whose blank has no width would never get there.
        if (width <= staged.rect.width()) break;
        staged.text = wider;
        staged.rect.setWidth(width);
    }
    layoutX += gap + staged.rect.width();
    return staged;
}

ParseResult ParseWurds(const QStringList& lines, const QFont& font, const TextMeasurer& measurer,
                       bool widenNarrow, const std::function<bool(const QString&)>& ask150, int boxWidth) {
    ParseResult result;
    // Lines advance by the height of the last word measured; before the first
    // word, by the font's own line height.
    int measuredHeight = measurer.measure(font, QString()).height();
    int layoutY = kWurdMargin;
    int emptyRun = 0;
    for (qsizetype lineNumber = 0; lineNumber < lines.size(); ++lineNumber) {
        const QString& line = lines[lineNumber];
        if (lineNumber > 0) layoutY += measuredHeight;
        int layoutX = kWurdMargin;
        if (line.isEmpty()) {
            if (++emptyRun >= kEmptyLinesEndingText) break;
            continue;
        }
        // The word is line[start..i]; it ends at a blank once it holds a
        // character, taking that one blank along, or at the line's end.
        qsizetype start = 0;
        bool holdsWurdChar = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            holdsWurdChar = holdsWurdChar || isWurdChar(line[i]);
            const bool atEnd = i + 1 == line.size();
            if (!(holdsWurdChar && line[i] == kBlank) && !atEnd) continue;
            // Blanks alone at the line's end make no word.
            if (!holdsWurdChar) break;
            const QString text = line.mid(start, i - start + 1);
            const int rowStart = layoutX;
            StagedWurd staged = MeasureWurd(text, font, measurer, layoutX, layoutY, widenNarrow);
            if (boxWidth > 0 && rowStart > kWurdMargin && staged.rect.right() >= boxWidth - kWurdsRightMargin) {
                layoutY += staged.rect.height();
                layoutX = kWurdMargin;
                staged = MeasureWurd(text, font, measurer, layoutX, layoutY, widenNarrow);
            }
            const StagedWurd& wurd = result.wurds.emplace_back(staged);
            measuredHeight = wurd.rect.height();
            if (result.wurds.size() == kMaxWurds) {
                result.editTextRequested = ask150 && ask150(wurd.text);
                return result;
            }
            emptyRun = 0;
            start = i + 1;
            holdsWurdChar = false;
        }
    }
    return result;
}

std::vector<QRect> AlignWurds(const std::vector<FlowWurd>& wurds, int boxWidth,
                              const TextMeasurer& measurer) {
    std::vector<QRect> placed(wurds.size());
    const int rightLimit = boxWidth - kWurdsRightMargin;
    int layoutX = wurds.size() >= 2 ? wurds.front().rect.left() : kWurdMargin;
    int lineTop = kWurdMargin;
    int lineHeight = 0;
    size_t lineStart = 0;
    const auto alignBottoms = [&](size_t end) {
        for (size_t k = lineStart; k < end; ++k)
            placed[k].moveTop(lineTop + lineHeight - placed[k].height());
    };
    for (size_t i = 0; i < wurds.size(); ++i) {
        const QSize size = measurer.measure(wurds[i].font, wurds[i].text);
        const int gap = WurdGap(size.width(), wurds[i].text.size());
        // A word that does not fit even as the first of a fresh line stays
        // there alone rather than wrapping for ever.
        const bool freshLine = i == lineStart && layoutX == kWurdMargin;
        if (layoutX + gap + size.width() > rightLimit && !freshLine) {
            alignBottoms(i);
            lineStart = i;
            lineTop += lineHeight + kWurdLineSpacing;
            lineHeight = 0;
            layoutX = kWurdMargin;
        }
        placed[i] = QRect(QPoint(layoutX, lineTop), size);
        lineHeight = std::max(lineHeight, size.height());
        layoutX += gap + size.width();
    }
    alignBottoms(wurds.size());
    return placed;
}

WurdKeyResult WurdKey(int key, Qt::KeyboardModifiers modifiers, int currentWurd, int wurdCount) {
    WurdKeyResult result{false, currentWurd, {}};
    const bool back = key == Qt::Key_Left || key == Qt::Key_Up;
    const bool arrow = back || key == Qt::Key_Right || key == Qt::Key_Down;
    if (!arrow || wurdCount < 1) return result;
    // Some platforms mark the arrow keys as keypad keys.
    modifiers &= ~Qt::KeypadModifier;
    if (modifiers == Qt::AltModifier && currentWurd >= 1 && currentWurd <= wurdCount) {
        result.handled = true;
        if (key == Qt::Key_Left) result.nudge = {-1, 0};
        if (key == Qt::Key_Right) result.nudge = {1, 0};
        if (key == Qt::Key_Up) result.nudge = {0, -1};
        if (key == Qt::Key_Down) result.nudge = {0, 1};
    } else if (modifiers == Qt::ControlModifier) {
        result.handled = true;
        result.currentWurd = std::clamp(currentWurd + (back ? -1 : 1), 1, wurdCount);
    }
    return result;
}

}  // namespace vellora
