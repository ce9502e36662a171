#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <array>

#include "TextMeasurer.h"

namespace vellora {

// The layout rules of a question page: how the question column's sizes follow
// the texts it holds and where each choice row and side panel goes. Pure
// functions over an injected measurer, so the numbers can be checked exactly.

// Rows of text a memo `width` pixels wide shows for `text`: paragraphs split
// at line breaks, each wrapped at blanks (a word wider than the memo takes
// a line of its own); an empty last line is not counted; 0 for no text.
int WrappedLines(const TextMeasurer& m, const QFont& font, const QString& text, int width);
// Text height of a memo: its first line's height times the rows shown, or 12
// when the font is smaller than 12 pixels.
int MemoHeight(const TextMeasurer& m, const QFont& font, const QString& text, int width);
// Width of a control's whole text, at least 2.
int StringWidth(const TextMeasurer& m, const QFont& font, const QString& text);
// nearest(x), a half going to the even neighbour.
int Nearest(double x);
// The height a memo of text height `memoHeight` gets on the question page.
int RowHeight(int memoHeight);

// Top of a row that is out of view.
inline constexpr int kParkedTop = 2000;

// What the layout depends on: the question area's place, the texts and
// fonts, the count, and the sizes of the fixed controls.
struct QuestionInput {
    int questionLeft = 14;
    int questionTop = 17;
    int questionWidth = 257;
    int choiceCount = 2;
    QFont stimulusFont;
    QString stimulusText;
    QFont choiceFont;
    std::array<QString, 4> enumTexts{};
    std::array<QString, 4> choiceTexts{};
    // The place the Repeat button had (kept when the count is out of range).
    int repeatTop = 0;
    int repeatHeight = 28;
    int lbValueHeight = 16;
    int lbChoicesHeight = 16;
    int boxWidth = 10;  // the fix and sound boxes
    int indic00Left = 0;
    int responseLeft = 2;
    int responseWidth = 204;
    int gbFirstTop = 2;
    int gbFirstWidth = 44;
    int gbSecondWidth = 44;
    // The inner margins of a memo: text wraps this much narrower.
    int memoMargins = 8;
};

// One choice row: the controls in the question area, the value spin edit in
// the value panel, the response memo and its box in the response panel and
// the six matrix cells (their top and height within the group boxes).
struct RowPlace {
    QRect indicator, enumerator, fix, choice, chSound;
    QRect value, response, rspSound;
    int cellTop = 0;
    int cellHeight = 0;
};

struct QuestionPlace {
    int stimulusHeight = 0;
    int enumWidth = 0;
    int choiceWidth = 0;
    QRect indic00;
    std::array<RowPlace, 4> rows{};
    int repeatTop = 0;
    QRect indicRepeat;
    int sideLeft = 0;
    int optionsTop = 0;
    int responseTop = 0;
    int responseHeight = 0;
    int responseWidth = 0;
    int actionTop = 0;
    int valueTop = 0;
    int valueHeight = 0;
    int lbChoicesTop = 0;
    int seChoicesTop = 0;
    int seChoicesHeight = 24;
    int questionHeight = 0;
    int selectHeight = 0;
};

// The whole question column for `in.choiceCount` choices.
QuestionPlace FormatQuestion(const TextMeasurer& m, const QuestionInput& in);

// Which parts of the question each domain shows.
struct QuestionVisibility {
    bool response = false;  // pnlResponse, pnlAction
    bool value = false;     // pnlValue
    bool options = false;   // pnlOptions, QuSound
    bool select = false;    // pnlSelect
    bool rowBoxes = false;  // the fix boxes, choice-sound boxes and value spin edits
};
QuestionVisibility VisibilityFor(int domain);

}  // namespace vellora
