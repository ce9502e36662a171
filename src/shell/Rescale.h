#pragma once

#include <QRect>

namespace vellora {

// a * b / c rounded to the nearest integer (halves away from zero).
int mulDiv(int a, int b, int c);

// Font size of the status controls for a client height: 2% of it, rounded to
// the nearest integer with halves to the even neighbour, never below 5.
int StatusFontSize(int clientHeight);

// Scales a control's edges from the old client size to the new one.
QRect scaleRect(const QRect& r, int oldWidth, int oldHeight, int newWidth, int newHeight);

}  // namespace vellora
