#pragma once

#include <QColor>
#include <QString>

namespace vellora {

// The rules of answering a question page that need no window.

// The domain a click on question item `item` leads to: 0 the stimulus
// (Question, 18), 1..4 a choice row (Choice, 20), 5..8 a response (Response, 21).
int QuestionTargetDomain(int item);
// The slot of an item: the row of a choice or response, 0 for the stimulus.
inline int QuestionSlot(int item) {
    return item <= 4 ? item : item - 4;
}

// The spoken verdict: its line, the label's colour and the shared sound's
// file name. `reveal` is the "this is the correct one" verdict after a wrong
// choice.
struct Verdict {
    QString text;
    QColor colour;
    QString sound;
};
Verdict FormatDefault(int value, bool reveal);

// Which response, remediation and action a slot's codes give for an attempt.
struct SlotCodes {
    int response = 0, remediate = 0, action = 0;
};
// The codes of attempt 1 or (any other value) attempt 2 from the six cells.
SlotCodes CodesFor(const int (&cells)[6], int attempt);

// The next attempt after a judged selection, and whether it ended the
// question: a first choice of 100 or any second choice is final, and the
// next question starts at its first attempt again.
struct AttemptResult {
    bool final = false;
    int next = 1;
};
AttemptResult AfterSelection(int value, int attempt);

}  // namespace vellora
