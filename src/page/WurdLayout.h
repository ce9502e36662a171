#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <Qt>
#include <functional>
#include <vector>

#include "TextMeasurer.h"

// Splitting page text into words, staging each word and re-flowing the words
// into lines: the rules only, in pixels inside the words box. The page window
// owns the edit boxes and the rows and applies what these return.
namespace vellora {

inline constexpr int kMaxWurds = 150;
// Left edge of every line, and top of the first.
inline constexpr int kWurdMargin = 3;
// On the title page a word is widened with leading blanks up to this width,
// so that it stays easy to click.
inline constexpr int kNarrowWurdWidth = 24;
// This many empty lines in a row end the text.
inline constexpr int kEmptyLinesEndingText = 30;
// Space kept free at the box's right edge, and between two lines.
inline constexpr int kWurdsRightMargin = 6;
inline constexpr int kWurdLineSpacing = 2;

// True when `text` holds a character that is neither a blank nor a CR.
bool IsWurd(const QString& text);

// The space after a word: (width div length) x 0.6, rounded halves to even;
// 1 for an empty text.
int WurdGap(int measuredWidth, qsizetype length);

// A word as staged: its text (trailing blanks removed, widening blanks
// prefixed) and its left, top, measured width and height.
struct StagedWurd {
    QString text;
    QRect rect;
};

// Stages one word at (layoutX, layoutY) and advances layoutX by its gap and
// width. With `widenNarrow` (the title page) blanks are prefixed while the
// word measures under kNarrowWurdWidth.
StagedWurd MeasureWurd(const QString& text, const QFont& font, const TextMeasurer& measurer,
                       int& layoutX, int layoutY, bool widenNarrow);

struct ParseResult {
    std::vector<StagedWurd> wurds;
    // The 150th word was made and the author chose to edit the text; the
    // words made so far are kept.
    bool editTextRequested = false;
};

// Splits the text box's lines into words, each line a row of words from
// x = kWurdMargin. Only the blank separates words; a run of blanks goes with
// the following word. kEmptyLinesEndingText empty lines end the text. When the
// 150th word is made, `ask150` gets its staged text (the caller asks
// MaxWurdsQuestion); true ends with editTextRequested, false ends normally.
// With a `boxWidth`, a line longer than the box goes on in a row below, as
// the text box shows it wrapped: a word that would end past
// boxWidth - kWurdsRightMargin starts the next row (unless it is the row's
// first word).
ParseResult ParseWurds(const QStringList& lines, const QFont& font, const TextMeasurer& measurer,
                       bool widenNarrow, const std::function<bool(const QString&)>& ask150, int boxWidth = 0);

// A word as it stands in the words box.
struct FlowWurd {
    QString text;
    QFont font;
    QRect rect;
};

// Re-flows the words into lines no wider than boxWidth - kWurdsRightMargin,
// the words of a line sharing their bottom edge; with two or more words the
// first keeps its left edge. A word too wide for any line stands alone on its
// own line. Returns each word's new place and re-measured size.
std::vector<QRect> AlignWurds(const std::vector<FlowWurd>& wurds, int boxWidth,
                              const TextMeasurer& measurer);

struct WurdKeyResult {
    bool handled = false;
    int currentWurd = 0;  // the word selected afterwards
    QPoint nudge;         // how far to move the current word
};

// An arrow key in the words domain: exactly Alt nudges the current word by one
// pixel, exactly Ctrl selects the previous or next word (within 1..wurdCount).
WurdKeyResult WurdKey(int key, Qt::KeyboardModifiers modifiers, int currentWurd, int wurdCount);

}  // namespace vellora
