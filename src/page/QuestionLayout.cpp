#include "QuestionLayout.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace vellora {

int WrappedLines(const TextMeasurer& m, const QFont& font, const QString& text, int width) {
    if (text.isEmpty()) return 0;
    QStringList paragraphs = text.split(QLatin1Char('\n'));
    if (paragraphs.size() > 1 && paragraphs.back().isEmpty()) paragraphs.removeLast();
    const QString blank = QStringLiteral(" ");
    int lines = 0;
    for (const QString& paragraph : paragraphs) {
        const QStringList words = paragraph.split(QLatin1Char(' '));
        int rows = 1;
        QString line;
        for (const QString& w : words) {
            const QString tried = line.isEmpty() ? w : line + blank + w;
            if (!line.isEmpty() && m.measure(font, tried).width() > width) {
                ++rows;
                line = w;
            } else {
                line = tried;
            }
        }
        lines += rows;
    }
    return lines;
}

int MemoHeight(const TextMeasurer& m, const QFont& font, const QString& text, int width) {
    const QString first = text.section(QLatin1Char('\n'), 0, 0);
    const int h = m.measure(font, first).height();
    if (h < 12) return 12;
    return h * WrappedLines(m, font, text, width);
}

int StringWidth(const TextMeasurer& m, const QFont& font, const QString& text) {
    return std::max(2, m.measure(font, text).width());
}

int Nearest(double x) {
    return int(std::nearbyint(x));
}

int RowHeight(int memoHeight) {
    return std::max(20, Nearest(memoHeight * 1.17) + 2);
}

QuestionPlace FormatQuestion(const TextMeasurer& m, const QuestionInput& in) {
    QuestionPlace q;
    const int count = in.choiceCount;
    q.stimulusHeight = RowHeight(
        MemoHeight(m, in.stimulusFont, in.stimulusText, in.questionWidth - in.memoMargins));

    q.enumWidth = 20;
    for (int n = 1; n <= std::min(count, 4); ++n)
        q.enumWidth = std::max(
            q.enumWidth, Nearest(StringWidth(m, in.choiceFont, in.enumTexts[size_t(n - 1)]) * 1.6));
    q.choiceWidth = in.questionWidth - q.enumWidth - 6;

    q.sideLeft = in.questionLeft + in.questionWidth + 2;
    q.optionsTop = in.questionTop;
    q.responseTop = in.questionTop + q.stimulusHeight - in.lbValueHeight - 5;
    q.valueTop = q.responseTop;
    q.indic00 = QRect(in.indic00Left, 0, 10, q.stimulusHeight + 2);

    int top = q.stimulusHeight + 2;
    for (int n = 1; n <= 4; ++n) {
        RowPlace& r = q.rows[size_t(n - 1)];
        if (n > 1)
            top = q.rows[size_t(n - 2)].choice.top() + q.rows[size_t(n - 2)].choice.height() + 2;
        const int h = RowHeight(MemoHeight(m, in.choiceFont, in.choiceTexts[size_t(n - 1)],
                                           q.choiceWidth - in.memoMargins));
        // A row beyond the count is out of view, not hidden: raising the
        // count brings it back as it was.
        const bool parked = n > count;
        const int rowTop = parked ? kParkedTop : top;
        const int valueTop = parked ? kParkedTop : in.questionTop - q.valueTop + top + 1;
        r.indicator = QRect(in.indic00Left, parked ? kParkedTop : top + 1, 10, h + 2);
        r.enumerator = QRect(2, rowTop, q.enumWidth, h);
        r.choice = QRect(q.enumWidth + 3, rowTop, q.choiceWidth, h);
        r.fix = QRect(2 + q.enumWidth - in.boxWidth - 1, rowTop, in.boxWidth, 11);
        r.chSound =
            QRect(r.choice.left() + q.choiceWidth - in.boxWidth - 1, rowTop, in.boxWidth, 11);
        r.value = QRect(0, valueTop, 0, h);
        r.response = QRect(in.responseLeft, valueTop, in.responseWidth, h);
        r.rspSound =
            QRect(in.responseLeft + in.responseWidth - in.boxWidth - 1, valueTop, in.boxWidth, 11);
        r.cellTop = parked ? kParkedTop : valueTop - in.gbFirstTop;
        r.cellHeight = h - 2;
    }

    if (count == 0)
        q.repeatTop = q.stimulusHeight + 2;
    else if (count >= 1 && count <= 4)
        q.repeatTop =
            q.rows[size_t(count - 1)].choice.top() + q.rows[size_t(count - 1)].choice.height() + 2;
    else
        q.repeatTop = in.repeatTop;
    q.indicRepeat = QRect(in.indic00Left, q.repeatTop - 1, 10, in.repeatHeight + 3);

    q.responseHeight = q.repeatTop + in.questionTop - q.responseTop;
    q.actionTop = q.responseTop + q.responseHeight;
    q.lbChoicesTop = q.repeatTop + in.questionTop - q.valueTop + 1;
    q.seChoicesTop = q.lbChoicesTop + in.lbChoicesHeight + 1;
    q.valueHeight = q.responseHeight + in.lbChoicesHeight + q.seChoicesHeight + 6;
    q.questionHeight = q.repeatTop + in.repeatHeight + 4;
    q.selectHeight = q.indicRepeat.top() + q.indicRepeat.height() + 2;
    q.responseWidth = in.responseWidth + in.gbFirstWidth + in.gbSecondWidth + 3;
    return q;
}

QuestionVisibility VisibilityFor(int domain) {
    switch (domain) {
        case 18:
            return {false, false, true, true, false};
        case 19:
            return {false, true, false, true, false};
        case 20:
            return {false, true, false, true, true};
        case 21:
            return {true, false, false, true, false};
        case 22:
            return {false, false, false, true, false};
        default:
            return {};
    }
}

}  // namespace vellora
