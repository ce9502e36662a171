#include "QuestionJudging.h"

#include "QuestionTexts.h"
#include "TextCodes.h"

namespace vellora {

int QuestionTargetDomain(int item) {
    if (item >= 1 && item <= 4) return 20;
    if (item >= 5 && item <= 8) return 21;
    return 18;
}

Verdict FormatDefault(int value, bool reveal) {
    if (reveal && value < 100)
        return {texts::kThisIsCorrect, ColorOfCode(kColorBlue), texts::kShowCorrectSound};
    if (value >= 100) return {texts::kCorrectChoice, ColorOfCode(2), texts::kCorrectSound};
    return {texts::kIncorrectChoice, ColorOfCode(9), texts::kIncorrectSound};
}

SlotCodes CodesFor(const int (&cells)[6], int attempt) {
    const int base = attempt == 1 ? 0 : 3;
    return {cells[base], cells[base + 1], cells[base + 2]};
}

AttemptResult AfterSelection(int value, int attempt) {
    const int current = attempt == 1 || attempt == 2 ? attempt : 1;
    const bool final = value == 100 || current == 2;
    return {final, final ? 1 : 2};
}

}  // namespace vellora
